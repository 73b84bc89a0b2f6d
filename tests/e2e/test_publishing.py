"""tarnbyd publishing to a mosquitto the test starts, read by mosquitto_sub: discovery configs,
state, records as the day log holds them, the last will; a wrong password said, logging on."""

import json
import os
import pathlib
import shutil
import signal
import subprocess
import unittest

from e2e_support import (EXPECTED, FIXED, EndToEndCase, fields, main, mqtt_cfg_bytes,
                         prog_cfg_bytes, wait_until)

TOOLS = ("mosquitto", "mosquitto_sub", "mosquitto_passwd")
MISSING = [tool for tool in TOOLS if not shutil.which(tool)]
# object: (device_class, unit_of_measurement, state_class, state field, expected record field)
SENSORS = {"volts": ("voltage", "V", "measurement", "volts", "V"),
           "amps": ("current", "A", "measurement", "amps", "I"),
           "watts": ("power", "W", "measurement", "watts", "W"),
           "energy": ("energy", "Wh", "total_increasing", "watt_hours", "Wh"),
           "rpm": (None, "rpm", "measurement", "rpm", "R"),
           "wind_speed": ("wind_speed", "mph", "measurement", "wind_speed", "S")}


@unittest.skipIf(MISSING and not os.environ.get("CI"), "needs %s" % ", ".join(MISSING))
class PublishingTest(EndToEndCase):
    def logging_app(self, broker_port, **mqtt):
        app = self.app_folder(prog_cfg=prog_cfg_bytes(log_delay="10"))
        pathlib.Path(app.file("mqtt.cfg")).write_bytes(mqtt_cfg_bytes(broker_port, **mqtt))
        self.board(app, args=["--rate", "5", "--fixed", FIXED])
        return app

    def test_discovery_state_records_and_the_last_will(self):
        app = self.app_folder()
        broker = self.broker(app.path)
        messages, app = self.subscriber(broker.port), self.logging_app(broker.port)
        service = self.tarnbyd(app)
        wait_until(lambda: len(messages.payloads("tarnby/e2e/record")) >= 2, 40, "two records")
        self.assertIn("publishing to 127.0.0.1:%d" % broker.port, service.output())
        configs = {name: json.loads(messages.payloads(
            "homeassistant/sensor/tarnby_e2e/%s/config" % name)[-1]) for name in SENSORS}
        for name, (device_class, unit, state_class, field, _) in SENSORS.items():
            self.assertEqual([configs[name].get(key) for key in (
                "device_class", "unit_of_measurement", "state_class", "value_template",
                "state_topic", "availability_topic")], [device_class, unit, state_class,
                "{{ value_json.%s }}" % field, "tarnby/e2e/state", "tarnby/e2e/availability"])
        self.assertEqual(len({c["unique_id"] for c in configs.values()}), len(SENSORS))
        self.assertEqual({str(c["device"]["identifiers"]) for c in configs.values()},
                         {"['tarnby_e2e']"})
        state = json.loads(messages.payloads("tarnby/e2e/state")[-1])
        self.assertEqual({k: state[s[3]] for k, s in SENSORS.items() if k != "energy"},
                         {k: float(EXPECTED[s[4]]) for k, s in SENSORS.items() if k != "energy"})
        records = app.all_records()
        published = [json.loads(p) for p in messages.payloads("tarnby/e2e/record")]
        self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
        for record, message in zip(records, published):
            self.assertEqual(message["time"][11:16], record["T"])
            self.assertEqual({s[3]: message[s[3]] for s in SENSORS.values()},
                             {s[3]: float(record[s[4]]) for s in SENSORS.values()})
        self.assertEqual(messages.payloads("tarnby/e2e/availability")[-1], "online")
        service.stop(signal.SIGKILL)
        wait_until(lambda: messages.payloads("tarnby/e2e/availability")[-1] == "offline", 20,
                   "the last will")

    def test_wrong_password_is_said_and_logging_goes_on(self):
        app = self.app_folder()
        subprocess.run(["mosquitto_passwd", "-b", "-c", app.file("passwords"), "logger",
                        "right"], check=True)
        broker = self.broker(app.path, settings="allow_anonymous false\npassword_file "
                             + app.file("passwords"))
        app = self.logging_app(broker.port, User="logger", Password="Wr0ng-Sesame")
        service = self.tarnbyd(app)
        wait_until(lambda: "publishing: not authorised by 127.0.0.1:%d (check User and Password)"
                   % broker.port in service.output(), 30, "the reason")
        records = wait_until(app.all_records, 25, "a record", interval=0.25)
        self.assertEqual([fields(r) for r in records], [EXPECTED] * len(records))
        self.assertEqual(service.stop(), 0)
        self.assertNotIn("Wr0ng-Sesame", service.output())


if __name__ == "__main__":
    main()
