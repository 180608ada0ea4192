#include "app/FrmSearch.h"

#include "app/DialogTextBoxes.h"
#include "app/Globl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 570;
constexpr int kClientHeight = 314;
constexpr int kPanel1Height = 47;
constexpr int kWhereHeight = 127;
constexpr int kBottomHeight = 64;
constexpr int kFontHeight = 18;
constexpr int kLabelLeft = 14;
constexpr int kLabelTop = 10;
constexpr int kComboWidth = 455;
constexpr int kComboTop = 6;
constexpr int kComboHeight = 33;
constexpr int kBoxHeight = 30;
constexpr int kBoxRow1 = 40; // first row of boxes, from the top of its panel
constexpr int kBoxRow2 = 80; // second row
// Left edges of the three columns of boxes; a box reaches to the next column, the last one to
// the right margin.
constexpr int kBoxColumn1 = 30;
constexpr int kBoxColumn2 = 210;
constexpr int kBoxColumn3 = 390;
constexpr int kBoxRight = kClientWidth - 4;
constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 38;
constexpr int kButtonTop = 13;
constexpr int kButtonGap = 12;
constexpr int kButtonRight = 24; // right edge of Find First to the dialog's right edge

} // namespace

TFormSearch::TFormSearch(QWidget* parent) : TGradientDialog(parent) {
    buildControls();
    layoutControls();
    connect(ButCancel, &QPushButton::clicked, this, &TFormSearch::ButCancelClick);
    connect(ButFindFirst, &QPushButton::clicked, this, &TFormSearch::ButFindFirstClick);
}

void TFormSearch::buildControls() {
    // The panels are bare: the dialog's gradient shows through them.
    Panel1 = new QWidget(this);
    Label1 = new QLabel(QStringLiteral("Look For:"), Panel1);
    CmbFindStr = new QComboBox(Panel1);
    CmbFindStr->setLineEdit(new TDialogEdit(CmbFindStr));
    CmbFindStr->setInsertPolicy(QComboBox::NoInsert);
    Label1->setBuddy(CmbFindStr);

    PnlWhere = new QWidget(this);
    Label2 = new QLabel(QStringLiteral("Where to Look:"), PnlWhere);
    const auto tick = [](QWidget* panel, const char* caption) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), panel);
        box->setChecked(true);
        return box;
    };
    CbxSectionNames = tick(PnlWhere, "Section Names");
    CbxSectionComments = tick(PnlWhere, "Section Comments");
    CbxItemNames = tick(PnlWhere, "Item Names");
    CbxItemValues = tick(PnlWhere, "Item Values");
    CbxItemComments = tick(PnlWhere, "Item Comments");

    PnlOptions = new QWidget(this);
    Label3 = new QLabel(QStringLiteral("Options:"), PnlOptions);
    CbxWholeWords = new QCheckBox(QStringLiteral("Whole Words"), PnlOptions);
    CbxCaseSensitive = new QCheckBox(QStringLiteral("Case Sensitive"), PnlOptions);

    PnlBottom = new QWidget(this);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), PnlBottom);
    ButCancel->setAutoDefault(false);
    ButFindFirst = new QPushButton(QStringLiteral("Find First"), PnlBottom);
    ButFindFirst->setDefault(true);

    setTabOrder(CmbFindStr, CbxSectionNames);
    setTabOrder(CbxSectionNames, CbxItemNames);
    setTabOrder(CbxItemNames, CbxItemValues);
    setTabOrder(CbxItemValues, CbxItemComments);
    setTabOrder(CbxItemComments, CbxSectionComments);
    setTabOrder(CbxSectionComments, CbxWholeWords);
    setTabOrder(CbxWholeWords, CbxCaseSensitive);
    setTabOrder(CbxCaseSensitive, ButCancel);
    setTabOrder(ButCancel, ButFindFirst);
}

void TFormSearch::layoutControls() {
    // Once the controls exist: the combo box hands a changed font on to its drop-down list, which
    // as a window of its own would not inherit it.
    setUpDesign(QStringLiteral("Find"), QStringLiteral("Tahoma"), kFontHeight, {kClientWidth, kClientHeight});

    // Top to bottom: Panel1, PnlWhere, PnlOptions (the rest), PnlBottom at the bottom.
    const int width = px(kClientWidth);
    const int height = px(kClientHeight);
    const int whereTop = px(kPanel1Height);
    const int optionsTop = whereTop + px(kWhereHeight);
    const int bottomTop = height - px(kBottomHeight);
    Panel1->setGeometry(0, 0, width, whereTop);
    PnlWhere->setGeometry(0, whereTop, width, optionsTop - whereTop);
    PnlOptions->setGeometry(0, optionsTop, width, bottomTop - optionsTop);
    PnlBottom->setGeometry(0, bottomTop, width, px(kBottomHeight));

    // The combo box ends at the right label margin; its label takes the room before it.
    const int comboLeft = width - px(kLabelLeft) - px(kComboWidth);
    Label1->setGeometry(px(kLabelLeft), px(kLabelTop), comboLeft - px(kLabelLeft), px(kBoxHeight));
    CmbFindStr->setGeometry(comboLeft, px(kComboTop), px(kComboWidth), px(kComboHeight));

    const auto place = [&](QWidget* control, int left, int top, int right) {
        control->setGeometry(px(left), px(top), px(right) - px(left), px(kBoxHeight));
    };
    Label2->setGeometry(px(kLabelLeft), px(kLabelTop), width - 2 * px(kLabelLeft), px(kBoxHeight));
    place(CbxSectionNames, kBoxColumn1, kBoxRow1, kBoxColumn2);
    place(CbxSectionComments, kBoxColumn2, kBoxRow1, kBoxRight);
    place(CbxItemNames, kBoxColumn1, kBoxRow2, kBoxColumn2);
    place(CbxItemValues, kBoxColumn2, kBoxRow2, kBoxColumn3);
    place(CbxItemComments, kBoxColumn3, kBoxRow2, kBoxRight);
    Label3->setGeometry(px(kLabelLeft), px(kLabelTop), width - 2 * px(kLabelLeft), px(kBoxHeight));
    place(CbxWholeWords, kBoxColumn1, kBoxRow1, kBoxColumn2);
    place(CbxCaseSensitive, kBoxColumn2, kBoxRow1, kBoxColumn3);

    // Find First at the right margin, Cancel one gap to its left.
    const int findLeft = width - px(kButtonRight) - px(kButtonWidth);
    const int cancelLeft = findLeft - px(kButtonGap) - px(kButtonWidth);
    ButFindFirst->setGeometry(findLeft, px(kButtonTop), px(kButtonWidth), px(kButtonHeight));
    ButCancel->setGeometry(cancelLeft, px(kButtonTop), px(kButtonWidth), px(kButtonHeight));
}

QCheckBox* TFormSearch::box(Box which) const {
    switch (which) {
    case Box::SectionNames:
        return CbxSectionNames;
    case Box::SectionComments:
        return CbxSectionComments;
    case Box::ItemNames:
        return CbxItemNames;
    case Box::ItemValues:
        return CbxItemValues;
    case Box::ItemComments:
        return CbxItemComments;
    case Box::WholeWords:
        return CbxWholeWords;
    case Box::CaseSensitive:
        break;
    }
    return CbxCaseSensitive;
}

bool TFormSearch::isTicked(Box which) const {
    return box(which)->isChecked();
}

void TFormSearch::setTicked(Box which, bool ticked) {
    box(which)->setChecked(ticked);
}

bool TFormSearch::isBoxEnabled(Box which) const {
    return box(which)->isEnabled();
}

void TFormSearch::loadSettings(const TSearchStruct& settings) {
    CbxSectionNames->setChecked(settings.sectionNames);
    CbxSectionComments->setChecked(settings.sectionComments);
    CbxItemNames->setChecked(settings.itemNames);
    CbxItemValues->setChecked(settings.itemValues);
    CbxItemComments->setChecked(settings.itemComments);
    CbxWholeWords->setChecked(settings.wholeWords);
    CbxCaseSensitive->setChecked(settings.caseSensitive);
    settings.fillFindList(CmbFindStr);
    if (CmbFindStr->count() > 0)
        CmbFindStr->setCurrentIndex(0);
}

void TFormSearch::storeSettings(TSearchStruct& settings) const {
    settings.sectionNames = CbxSectionNames->isChecked();
    settings.itemNames = CbxItemNames->isChecked();
    settings.itemValues = CbxItemValues->isChecked();
    settings.wholeWords = CbxWholeWords->isChecked();
    settings.caseSensitive = CbxCaseSensitive->isChecked();
    settings.sectionComments = !valuesOnly_ && CbxSectionComments->isChecked();
    settings.itemComments = !valuesOnly_ && CbxItemComments->isChecked();
}

void TFormSearch::setValuesOnly(bool on) {
    valuesOnly_ = on;
    CbxItemComments->setEnabled(!on);
    CbxSectionComments->setEnabled(!on);
}

QString TFormSearch::findText() const {
    return CmbFindStr->currentText();
}

void TFormSearch::setFindText(const QString& text) {
    CmbFindStr->setEditText(text);
}

QStringList TFormSearch::historyList() const {
    QStringList list;
    for (int i = 0; i < CmbFindStr->count(); ++i)
        list.append(CmbFindStr->itemText(i));
    return list;
}

void TFormSearch::ButCancelClick() {
    reject();
}

void TFormSearch::ButFindFirstClick() {
    accept();
}

std::optional<QString> TFormSearch::askSearch(TSearchStruct& settings, bool valuesOnly, QWidget* centreOn) {
    TFormSearch dialog(centreOn);
    dialog.loadSettings(settings);
    dialog.setValuesOnly(valuesOnly);
    dialog.setPlacement(Placement::Centred, centreOn);
    const bool findFirst = responder ? responder(dialog) : dialog.exec() == QDialog::Accepted;
    if (!findFirst)
        return std::nullopt;
    dialog.storeSettings(settings);
    return dialog.findText();
}
