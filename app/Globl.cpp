#include "app/Globl.h"

#include "app/EkFunctions.h"

#include <QComboBox>
#include <QSettings>

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

void TSearchStruct::readFindSettings(const QString& prefix, QSettings& settings) {
    const QString boolsKey = prefix + QLatin1String("Bools");
    if (settings.contains(boolsKey)) {
        const QString bools = settings.value(boolsKey).toString();
        if (bools.size() == 8) {
            bool* flags[] = {&sectionNames, &sectionComments, &itemNames,     &itemValues,
                             &itemComments, &wholeWords,      &caseSensitive, &backward};
            for (int i = 0; i < 8; ++i)
                *flags[i] = charToBool(bools[i]);
        }
    }
    for (int i = 0; i < kHistorySize; ++i) {
        const QString key = prefix + QString::number(i);
        if (!settings.contains(key))
            break;
        findHistory[i] = settings.value(key).toString();
    }
}

void TSearchStruct::writeFindSettings(const QString& prefix, QSettings& settings) const {
    settings.setValue(prefix + QLatin1String("Bools"), flagsString());
    for (int i = 0; i < kHistorySize && !findHistory[i].isEmpty(); ++i)
        settings.setValue(prefix + QString::number(i), findHistory[i]);
}
