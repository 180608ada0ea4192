// Strings that name the maker; shared by every product of the maker.
#pragma once

#include <QString>

// The middle part of the settings key "Software\Tolvard\Velquin".
inline const QString kMakerFolder = QStringLiteral("\\Tolvard");
// The maker's name, as the settings' organisation name.
inline const QString kMakerName = QStringLiteral("Tolvard");
// The maker's software pages; the help page is this address followed by "/velquin.htm".
inline const QString kMakerWebPage = QStringLiteral("https://www.tolvard.example/software");
