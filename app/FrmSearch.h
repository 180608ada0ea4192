// The find dialog: the text to look for (typed, or picked from the search history), where to
// look and how to match. It only reads and writes the window's find settings; the history
// belongs to those settings, so the list never adds entries of its own.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
struct TSearchStruct;

class TFormSearch : public TGradientDialog {
    Q_OBJECT

public:
    // The dialog's tick boxes.
    enum class Box {
        SectionNames,
        SectionComments,
        ItemNames,
        ItemValues,
        ItemComments,
        WholeWords,
        CaseSensitive,
    };

    explicit TFormSearch(QWidget* parent = nullptr);

    // Sets the boxes from `settings` and lists its history, most recent first; the most recent
    // entry becomes the text, so the last search is offered again.
    void loadSettings(const TSearchStruct& settings);
    // Copies the boxes into `settings` (the history and the direction are left alone). In the
    // values-only view both comment flags become false, whatever their boxes show.
    void storeSettings(TSearchStruct& settings) const;

    // The two comment boxes are enabled exactly when `on` is false.
    void setValuesOnly(bool on);
    bool valuesOnly() const { return valuesOnly_; }

    QString findText() const;
    void setFindText(const QString& text);
    // The entries of the drop-down list, in order.
    QStringList historyList() const;

    bool isTicked(Box box) const;
    void setTicked(Box box, bool ticked);
    bool isBoxEnabled(Box box) const;

    // The whole use of the dialog by the find command: shows it modally, centred on `centreOn`
    // (may be null), with the boxes and the list from `settings`. On Find First the boxes are
    // stored into `settings` and the text is returned; on Cancel (Esc, closing) nothing
    // changes and nothing is returned. A responder installed for tests answers instead.
    static std::optional<QString> askSearch(TSearchStruct& settings, bool valuesOnly, QWidget* centreOn);

    // Test seam for askSearch: gets the dialog as prepared for showing (it may read and change
    // its values) and returns true for Find First, false for Cancel.
    using Responder = std::function<bool(TFormSearch& dialog)>;
    static inline platform::TestSeam<Responder> responder;

private:
    void buildControls();
    void layoutControls();
    void ButCancelClick();
    void ButFindFirstClick();
    QCheckBox* box(Box which) const;

    bool valuesOnly_ = false;
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* PnlWhere = nullptr;
    QCheckBox* CbxSectionNames = nullptr;
    QCheckBox* CbxSectionComments = nullptr;
    QCheckBox* CbxItemNames = nullptr;
    QCheckBox* CbxItemValues = nullptr;
    QCheckBox* CbxItemComments = nullptr;
    QCheckBox* CbxWholeWords = nullptr;
    QCheckBox* CbxCaseSensitive = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* PnlOptions = nullptr;
    QLabel* Label3 = nullptr;
    QWidget* PnlBottom = nullptr;
    QPushButton* ButCancel = nullptr;
    QPushButton* ButFindFirst = nullptr;
    QComboBox* CmbFindStr = nullptr;
};
