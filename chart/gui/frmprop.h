#pragma once

#include <functional>
#include <vector>

#include <QDialog>

#include "propparams.h"
#include "proptarget.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TColorBox;
class TGraphItem;
class TMainIndicator;
class TOtherIndicator;
class TOxyArea;
class TPatternMenager;
class TPenPicker;

// The properties of one chart element: an axis, the price, a computed
// indicator or a drawn item. Only the pages that fit the element are shown;
// the controls are filled from it and written back by "Ok", "Accept" and
// "Default", which also keeps the element's style for every new element of
// its type. Never translated: its texts are the English ones.
class TfrmProp : public QDialog {
    Q_OBJECT
public:
    enum class ApplyResult { Applied, Refused, Gone };

    explicit TfrmProp(QWidget *parent = nullptr);
    ~TfrmProp() override;

    // Copies the target element's settings into the controls and shows the
    // pages that fit it (none when the element is gone).
    void Fill(const TPropTarget &target);
    // Checks every input, then writes the controls to the element. A refused
    // input is shown through ShowError and leaves the element untouched;
    // Gone when the element no longer exists.
    ApplyResult Apply();
    // Apply, then the element's style into the pattern store.
    ApplyResult StoreDefault();

    using ErrorHook = std::function<void(QWidget *parent, const QString &text)>;

    // Creates and fills the dialog, with or without "Accept", and runs it
    // (`run`, exec() when empty). Returns true when it ended with "Ok" (the
    // element then has the dialog's settings) and the element still exists.
    static bool Edit(const TPropTarget &target, bool showAccept, QWidget *parent,
                     const std::function<int(QDialog &)> &run = {}, const ErrorHook &showError = {});

    // Shows a refused input (a message box by default).
    ErrorHook ShowError;
    // The store "Default" writes to; the panel's store when not set.
    void SetPatterns(TPatternMenager *store) { patterns = store; }

    // rgAxis' checked item: 0 "Right axis", 1 "Left axis".
    int AxisItem() const;
    const TParamRows &ParamRows() const { return params; }

    QTabWidget *pc;
    QWidget *tabMI, *tabColorStyle, *tabOy, *tabOxyVis, *tabParams, *tabLines, *tabOxyY, *tabLine;
    // The price: the falling pair in the "Up price" column, the rising pair
    // in "Down price".
    TColorBox *miUpframeColor, *miDownframeColor, *miUpColor, *miDownColor;
    TPenPicker *miStype, *miW;
    QComboBox *miPriceStyle;
    // Drawn items and computed indicators.
    TColorBox *cbColor;
    TPenPicker *cbStyle, *cbW;
    // Axes.
    TColorBox *oyGridColor, *oyColor, *oybColor;
    QCheckBox *oyShowGrid, *oxViewYear, *oxViewTime, *oxViewDate;
    QCheckBox *oxyShowX, *oxyShowYL, *oxyShowYR;
    // Level lines of a computed indicator.
    TColorBox *lnColor;
    TPenPicker *lnStyle, *lnW;
    QListWidget *lbLines;
    QLineEdit *edLinesAdd;
    QPushButton *btAdd, *btDel;
    // The side of an indicator.
    QGroupBox *rgAxis;
    QButtonGroup *rgAxisItems;
    // Drawn lines.
    QCheckBox *cbSnap, *cbREx, *cbLEx, *cbViewInAll;

    QPushButton *Button1;    // "Ok"
    QPushButton *btnAccept;  // "Accept"
    QPushButton *Button3;    // "Cancel"
    QPushButton *Button2;    // "Default"

private:
    void buildPriceTab();
    void buildColorStyleTab();
    void buildAxisTabs();
    void buildLinesTab();
    void buildAxisSideTab();
    void buildLineTab();
    void fillPrice(const TMainIndicator &price);
    void fillLevels(const TOtherIndicator &ind);
    void fillAxis(const TOxyArea &axis);
    void fillLine(const TGraphItem &item);
    void applyPrice(TMainIndicator &price);
    void applyLevels(TOtherIndicator &ind);
    void applyAxis(TOxyArea &axis);
    void applyLine(TGraphItem &item);
    void addLevel();
    void deleteLevel();
    void showRefusal(const TPropInputError &error);

    TPropTarget target;
    TParamRows params;
    TPatternMenager *patterns = nullptr;
};
