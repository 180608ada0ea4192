#include "app/FrmSearch.h"

#include "app/Globl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int clientWidth = 570;
constexpr int clientHeight = 314;
constexpr int panel1Height = 47;
constexpr int whereHeight = 127;
constexpr int bottomHeight = 64;
constexpr int fontHeight = 18;
constexpr int labelLeft = 14;
constexpr int labelTop = 10;
constexpr int comboWidth = 455;
constexpr int comboTop = 6;
constexpr int comboHeight = 33;
constexpr int boxHeight = 30;
constexpr int boxRow1 = 40; // first row of boxes, from the top of its panel
constexpr int boxRow2 = 80; // second row
// Left edges of the three columns of boxes; a box reaches to the next column, the last one to
// the right margin.
constexpr int boxColumn1 = 30;
constexpr int boxColumn2 = 210;
constexpr int boxColumn3 = 390;
constexpr int boxRight = clientWidth - 4;
constexpr int buttonWidth = 130;
constexpr int buttonHeight = 38;
constexpr int buttonTop = 13;
constexpr int buttonGap = 12;
constexpr int buttonRight = 24; // right edge of Find First to the dialog's right edge

using Seam = TDialogSeam<TFormSearch::Responder>;

} // namespace

TFormSearch::TFormSearch(QWidget* parent) : TGradientDialog(parent) {
    buildControls();
    layoutControls();
    connect(ButCancel, &QPushButton::clicked, this, &TFormSearch::ButCancelClick);
    connect(ButFindFirst, &QPushButton::clicked, this, &TFormSearch::ButFindFirstClick);
}

void TFormSearch::buildControls() {
    setWindowTitle(QStringLiteral("Find"));

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
    setDesignFont(QStringLiteral("Tahoma"), fontHeight);
    setDesignClientSize(clientWidth, clientHeight);

    // Top to bottom: Panel1, PnlWhere, PnlOptions (the rest), PnlBottom at the bottom.
    const int width = px(clientWidth);
    const int height = px(clientHeight);
    const int whereTop = px(panel1Height);
    const int optionsTop = whereTop + px(whereHeight);
    const int bottomTop = height - px(bottomHeight);
    Panel1->setGeometry(0, 0, width, whereTop);
    PnlWhere->setGeometry(0, whereTop, width, optionsTop - whereTop);
    PnlOptions->setGeometry(0, optionsTop, width, bottomTop - optionsTop);
    PnlBottom->setGeometry(0, bottomTop, width, px(bottomHeight));

    // The combo box ends at the right label margin; its label takes the room before it.
    const int comboLeft = width - px(labelLeft) - px(comboWidth);
    Label1->setGeometry(px(labelLeft), px(labelTop), comboLeft - px(labelLeft), px(boxHeight));
    CmbFindStr->setGeometry(comboLeft, px(comboTop), px(comboWidth), px(comboHeight));

    const auto place = [&](QWidget* control, int left, int top, int right) {
        control->setGeometry(px(left), px(top), px(right) - px(left), px(boxHeight));
    };
    Label2->setGeometry(px(labelLeft), px(labelTop), width - 2 * px(labelLeft), px(boxHeight));
    place(CbxSectionNames, boxColumn1, boxRow1, boxColumn2);
    place(CbxSectionComments, boxColumn2, boxRow1, boxRight);
    place(CbxItemNames, boxColumn1, boxRow2, boxColumn2);
    place(CbxItemValues, boxColumn2, boxRow2, boxColumn3);
    place(CbxItemComments, boxColumn3, boxRow2, boxRight);
    Label3->setGeometry(px(labelLeft), px(labelTop), width - 2 * px(labelLeft), px(boxHeight));
    place(CbxWholeWords, boxColumn1, boxRow1, boxColumn2);
    place(CbxCaseSensitive, boxColumn2, boxRow1, boxColumn3);

    // Find First at the right margin, Cancel one gap to its left.
    const int findLeft = width - px(buttonRight) - px(buttonWidth);
    const int cancelLeft = findLeft - px(buttonGap) - px(buttonWidth);
    ButFindFirst->setGeometry(findLeft, px(buttonTop), px(buttonWidth), px(buttonHeight));
    ButCancel->setGeometry(cancelLeft, px(buttonTop), px(buttonWidth), px(buttonHeight));
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
    const Responder& responder = Seam::responder();
    const bool findFirst = responder ? responder(dialog) : dialog.exec() == QDialog::Accepted;
    if (!findFirst)
        return std::nullopt;
    dialog.storeSettings(settings);
    return dialog.findText();
}

TFormSearch::Responder TFormSearch::setResponder(Responder responder) {
    return Seam::exchange(std::move(responder));
}
