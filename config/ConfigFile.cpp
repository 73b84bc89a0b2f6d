#include "config/ConfigFile.h"

#include "common/NumberText.h"
#include "config/TaggedValue.h"

#include <QFile>

namespace tarnby {

ConfigReading ConfigReading::read(const QString& path, const QString& fileName) {
    ConfigReading reading;
    reading.fileName_ = fileName;
    QFile file(path);
    if (!file.exists()) {
        reading.problems_ << QStringLiteral("the file is missing");
        return reading;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reading.problems_ << QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        return reading;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    // 8-bit text: each byte is the character of the same code, so every byte survives a Save.
    reading.text_ = QString::fromLatin1(bytes);
    if (reading.text_.trimmed().isEmpty()) {
        reading.problems_ << QStringLiteral("the file is empty");
        return reading;
    }
    reading.fileUsable_ = true;
    return reading;
}

ConfigReading ConfigReading::fromText(const QString& text, const QString& fileName) {
    ConfigReading reading;
    reading.fileName_ = fileName;
    reading.text_ = text;
    reading.fileUsable_ = !text.trimmed().isEmpty();
    if (!reading.fileUsable_)
        reading.problems_ << QStringLiteral("the file is empty");
    return reading;
}

QString ConfigReading::take(QLatin1StringView key) {
    if (!fileUsable_)
        return {};
    const TaggedValue tagged = findTaggedValue(text_, key);
    switch (tagged.status) {
    case TaggedValue::Status::Found:
        return tagged.value.toString();
    case TaggedValue::Status::MissingOpening:
        problems_ << QStringLiteral("the key <%1> is missing").arg(key);
        break;
    case TaggedValue::Status::MissingClosing:
        problems_ << QStringLiteral("the key <%1> has no closing tag </%1>").arg(key);
        break;
    case TaggedValue::Status::ClosingBeforeOpening:
        problems_ << QStringLiteral("the closing tag </%1> comes before <%1>").arg(key);
        break;
    }
    return {};
}

QString ConfigReading::takeNumber(QLatin1StringView key) {
    const qsizetype before = problems_.size();
    const QString value = take(key);
    if (problems_.size() == before && fileUsable_ && !readsAsNumber(value))
        problems_ << QStringLiteral("the value \"%1\" of <%2> is not a number").arg(value, key);
    return value;
}

QString ConfigReading::takeWholeNumber(QLatin1StringView key) {
    const qsizetype before = problems_.size();
    const QString value = take(key);
    if (problems_.size() == before && fileUsable_ && !readExactWholeNumber(value))
        problems_
            << QStringLiteral("the value \"%1\" of <%2> is not a whole number").arg(value, key);
    return value;
}

QString ConfigReading::problemMessage(const QString& wayOn) const {
    QString message = QStringLiteral("There is a problem with %1:").arg(fileName_);
    for (const QString& problem : problems_)
        message += QStringLiteral("\n- ") + problem;
    if (!wayOn.isEmpty())
        message += QStringLiteral("\n\n") + wayOn;
    return message;
}

QByteArray taggedLine(QLatin1StringView key, const QString& value) {
    const QByteArray name(key.data(), key.size());
    return '<' + name + '>' + value.toLatin1() + "</" + name + ">\r\n";
}

bool isSafeConfigText(const QString& text) {
    return !text.contains(u'<') && !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace tarnby
