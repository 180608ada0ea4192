// The main window's two image lists, drawn in code so they stay sharp and need no files:
// `IlItems` (12 x 12) for list rows, the status counters and the values-only toggle, and
// `IlButtons` (16 x 16) for the tool-bar buttons.
#pragma once

#include "controls/ImgList.h"

// Indexes of IlItems. The row images equal the item kinds of the document (0 to 3).
enum : int {
    imgBlank = 0,
    imgValue = 1,
    imgComment = 2,
    imgError = 3,
    imgSection = 4,
    imgValuesOnlyOff = 11,
    imgValuesOnlyOn = 12,
    imgValuesOnlyOffHot = 13,
    imgValuesOnlyOnHot = 14,
};

// Indexes of IlButtons.
enum : int {
    btnNew,
    btnOpen,
    btnReload,
    btnSave,
    btnSaveAs,
    btnSearch,
    btnSectionAdd,
    btnSectionCopy,
    btnSectionInsert,
    btnSectionEdit,
    btnSectionDelete,
    btnItemAdd,
    btnItemInsert,
    btnItemEdit,
    btnItemDelete,
    btnShortcut,
    btnCount
};

// Appends the images of IlItems (12 x 12) and of IlButtons (16 x 16), in index order.
void addItemImages(TImageList& list);
void addButtonImages(TImageList& list);
