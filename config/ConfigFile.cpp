#include "config/ConfigFile.h"

#include "common/NumberText.h"
#include "config/TaggedValue.h"

#include <QFile>

namespace tarnby {

using namespace Qt::StringLiterals;

QString describeProblem(QLatin1StringView key, const QString& text, ValueProblem problem) {
    switch (problem) {
    case ValueProblem::None:
    case ValueProblem::FileUnusable:
        break;
    case ValueProblem::Missing:
        return u"the key <%1> is missing"_s.arg(key);
    case ValueProblem::NoClosingTag:
        return u"the key <%1> has no closing tag </%1>"_s.arg(key);
    case ValueProblem::ClosingTagFirst:
        return u"the closing tag </%1> comes before <%1>"_s.arg(key);
    case ValueProblem::NotANumber:
        return u"the value \"%1\" of <%2> is not a number"_s.arg(text, key);
    case ValueProblem::NotAWholeNumber:
        return u"the value \"%1\" of <%2> is not a whole number"_s.arg(text, key);
    case ValueProblem::NotACheckValue:
        return u"the value \"%1\" of <%2> is not 0, 1 or 2"_s.arg(text, key);
    case ValueProblem::TooLarge:
        return u"the value \"%1\" of <%2> is too large"_s.arg(text, key);
    case ValueProblem::UnsafeText:
        return u"the value of <%1> holds a \"<\" or a line break, which cannot be saved"_s.arg(key);
    }
    return {};
}

QString ConfigFile::problemMessage(const QStringList& problems, const QString& wayOn) const {
    if (fileUsable() && problems.isEmpty())
        return {};
    QString message = u"There is a problem with %1:"_s.arg(fileName);
    for (const QString& problem : fileUsable() ? problems : QStringList{fileProblem})
        message += u"\n- "_s + problem;
    if (!wayOn.isEmpty())
        message += u"\n\n"_s + wayOn;
    return message;
}

ConfigSource readConfigSource(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {{}, u"the file is missing"_s};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, u"the file cannot be read (%1)"_s.arg(file.errorString())};
    const QByteArray bytes = file.readAll();
    file.close();
    // 8-bit text: each byte is the character of the same code, so every byte survives a Save.
    return configSourceFromText(QString::fromLatin1(bytes));
}

ConfigSource configSourceFromText(const QString& text) {
    if (text.trimmed().isEmpty())
        return {{}, u"the file is empty"_s};
    return {text, {}};
}

ConfigText takeValue(const ConfigSource& source, QLatin1StringView key) {
    ConfigText value{key, {}, ValueProblem::FileUnusable};
    if (!source.fileProblem.isEmpty())
        return value;
    const TaggedValue tagged = findTaggedValue(source.text, key);
    switch (tagged.status) {
    case TaggedValue::Status::Found:
        value.text = tagged.value.toString();
        value.problem = ValueProblem::None;
        break;
    case TaggedValue::Status::MissingOpening:
        value.problem = ValueProblem::Missing;
        break;
    case TaggedValue::Status::MissingClosing:
        value.problem = ValueProblem::NoClosingTag;
        break;
    case TaggedValue::Status::ClosingBeforeOpening:
        value.problem = ValueProblem::ClosingTagFirst;
        break;
    }
    return value;
}

ConfigNumber<double> takeNumber(const ConfigSource& source, QLatin1StringView key, bool required) {
    ConfigNumber<double> value{takeValue(source, key), std::nullopt};
    if (!value.taken())
        return value;
    value.number = readNumber(value.text);
    if (required && !value.number)
        value.problem = ValueProblem::NotANumber;
    return value;
}

ConfigNumber<int> takeWholeNumber(const ConfigSource& source, QLatin1StringView key, Whole rule) {
    ConfigNumber<int> value{takeValue(source, key), std::nullopt};
    if (!value.taken())
        return value;
    if (rule == Whole::Rounded) {
        value.number = readRoundedWholeNumber(value.text);
    } else {
        value.number = readExactWholeNumber(value.text);
        if (!value.number)
            value.problem = ValueProblem::NotAWholeNumber;
    }
    return value;
}

QByteArray taggedLine(QLatin1StringView key, const QString& value) {
    const QByteArray name(key.data(), key.size());
    return '<' + name + '>' + value.toLatin1() + "</" + name + ">\r\n";
}

bool isSafeConfigText(const QString& text) {
    return !text.contains(u'<') && !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace tarnby
