#include "app/Globl.h"

#include "app/EkFunctions.h"

#include <QComboBox>
#include <QSettings>
#include <QVariant>

// --- Find settings --------------------------------------------------------------------------

void TSearchStruct::pushFindString(const QString& text) {
    int i = 0;
    while (i < kHistorySize && !findHistory[i].isEmpty() && findHistory[i] != text)
        ++i;
    if (i == kHistorySize)
        i = kHistorySize - 1;
    for (int j = i - 1; j >= 0; --j)
        findHistory[j + 1] = findHistory[j];
    findHistory[0] = text;
}

QStringList TSearchStruct::findList() const {
    QStringList list;
    for (const QString& entry : findHistory) {
        if (entry.isEmpty())
            break;
        list.append(entry);
    }
    return list;
}

void TSearchStruct::fillFindList(QStringList& list) const {
    list = findList();
}

void TSearchStruct::fillFindList(QComboBox* combo) const {
    const QString editText = combo->isEditable() ? combo->currentText() : QString();
    combo->setUpdatesEnabled(false);
    combo->clear();
    combo->addItems(findList());
    if (combo->isEditable())
        combo->setEditText(editText);
    combo->setUpdatesEnabled(true);
}

QString TSearchStruct::flagsString() const {
    const bool flags[] = {sectionNames, sectionComments, itemNames,     itemValues,
                          itemComments, wholeWords,      caseSensitive, backward};
    QString result;
    for (bool flag : flags)
        result.append(QLatin1Char(boolToChar(flag)));
    return result;
}

namespace {

bool isFlagsValue(const QVariant& value) {
    return value.typeId() == QMetaType::QString && value.toString().size() == 8;
}

bool isHistoryValue(const QVariant& value) {
    return value.typeId() == QMetaType::QString && value.toString().size() <= kLongestSettingText;
}

} // namespace

int TSearchStruct::readFindSettings(const QString& prefix, QSettings& settings) {
    const QString boolsKey = prefix + QLatin1String("Bools");
    if (const QVariant bools = settings.value(boolsKey); isFlagsValue(bools)) {
        bool* flags[] = {&sectionNames, &sectionComments, &itemNames,     &itemValues,
                         &itemComments, &wholeWords,      &caseSensitive, &backward};
        for (int i = 0; i < 8; ++i)
            *flags[i] = charToBool(bools.toString()[i]);
    }
    int used = 0;
    int i = 0;
    for (; i < kHistorySize; ++i) {
        const QString key = prefix + QString::number(i);
        if (!settings.contains(key))
            break;
        if (const QVariant value = settings.value(key); isHistoryValue(value))
            findHistory[used++] = value.toString();
    }
    return i;
}

QStringList TSearchStruct::writeFindSettings(const QString& prefix, QSettings& settings,
                                             int valuesRead) const {
    QStringList written{prefix + QLatin1String("Bools")};
    settings.setValue(written[0], flagsString());
    for (const QString& entry : findList()) {
        if (entry.size() > kLongestSettingText)
            continue;
        written << prefix + QString::number(written.size() - 1);
        settings.setValue(written.last(), entry);
    }
    for (int i = int(written.size()) - 1; i < valuesRead; ++i)
        settings.remove(prefix + QString::number(i));
    return written;
}

QStringList TSearchStruct::valuesLeftOut(const QString& prefix, QSettings& settings) {
    QStringList keys;
    if (const QString key = prefix + QLatin1String("Bools");
        settings.contains(key) && !isFlagsValue(settings.value(key)))
        keys << key;
    for (int i = 0; i < kHistorySize && settings.contains(prefix + QString::number(i)); ++i) {
        if (!isHistoryValue(settings.value(prefix + QString::number(i))))
            keys << prefix + QString::number(i);
    }
    return keys;
}
