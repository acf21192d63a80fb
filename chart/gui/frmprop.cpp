#include "frmprop.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "chartpanel.h"
#include "colorbox.h"
#include "extratexts.h"
#include "fibbelements.h"
#include "hvlines.h"
#include "languagetables.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "patternstore.h"
#include "penpicker.h"
#include "serdata.h"
#include "units.h"

namespace {

// The limits of a new level line.
constexpr double kMinLevel = -99999.9999;
constexpr double kMaxLevel = 99999.99999;
const QString kMinLevelText = QStringLiteral("-99999.9999");
const QString kMaxLevelText = QStringLiteral("99999.99999");

constexpr int kPriceStyles = 4;

QString text(TExtraText id) { return ExtraText(id); }

QLabel *labelAt(QWidget *page, TExtraText caption, int x, int y)
{
    auto *label = new QLabel(text(caption), page);
    label->move(x, y);
    return label;
}

// A control at (x, y), `width` wide and as high as it wants to be.
template <class W>
W *placed(W *control, int x, int y, int width)
{
    control->setGeometry(x, y, width, control->sizeHint().height());
    return control;
}

QCheckBox *checkAt(QWidget *page, TExtraText caption, int x, int y)
{
    auto *box = new QCheckBox(text(caption), page);
    box->move(x, y);
    box->adjustSize();
    return box;
}

// "Color :", "Style :" and "Weight :" with their pickers under each other,
// the labels at x 8, the pickers at `x`.
void penControls(QWidget *page, int x, int width, int top, TColorBox *&color, TPenPicker *&style,
                 TPenPicker *&weight)
{
    constexpr int pitch = 34;
    labelAt(page, TExtraText::PropColor, 8, top + 3);
    color = placed(new TColorBox(page), x, top, width);
    labelAt(page, TExtraText::PropStyle, 8, top + pitch + 3);
    style = placed(new TPenPicker(TPenPicker::Style, page), x, top + pitch, width);
    labelAt(page, TExtraText::PropWeight, 8, top + 2 * pitch + 3);
    weight = placed(new TPenPicker(TPenPicker::Width, page), x, top + 2 * pitch, width);
}

// A level line: three blanks and the value in the program's number format;
// the item keeps the exact value, so an untouched level stays what it was.
QListWidgetItem *levelItem(double value)
{
    auto *item = new QListWidgetItem(QStringLiteral("   ") + DoublePriceText(value));
    item->setData(Qt::UserRole, value);
    return item;
}

uint8_t flag(const QCheckBox *box) { return box->isChecked() ? 1 : 0; }

} // namespace

TfrmProp::TfrmProp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProp"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(354, 240);

    pc = new QTabWidget(this);
    pc->setGeometry(8, 8, 337, 193);
    const auto page = [this](QWidget *&tab, const QString &name, TExtraText caption) {
        tab = new QWidget;
        tab->setObjectName(name);
        pc->addTab(tab, text(caption));
    };
    page(tabMI, QStringLiteral("tabMI"), TExtraText::PropColorStyle);
    page(tabColorStyle, QStringLiteral("tabColorStyle"), TExtraText::PropColorStyle);
    page(tabOy, QStringLiteral("tabOy"), TExtraText::PropColorStyle);
    page(tabOxyVis, QStringLiteral("tabOxyVis"), TExtraText::PropAxisVisible);
    page(tabParams, QStringLiteral("tabParams"), TExtraText::PropParameters);
    page(tabLines, QStringLiteral("tabLines"), TExtraText::PropLines);
    page(tabOxyY, QStringLiteral("tabOxyY"), TExtraText::PropAxis);
    page(tabLine, QStringLiteral("tabLine"), TExtraText::PropLine);
    buildPriceTab();
    buildColorStyleTab();
    buildAxisTabs();
    buildLinesTab();
    buildAxisSideTab();
    buildLineTab();

    Button1 = new QPushButton(CaptionTextIn(true, 19), this);   // "Ok"
    btnAccept = new QPushButton(MessageTextIn(true, 39), this); // "Accept"
    Button3 = new QPushButton(CaptionTextIn(true, 15), this);   // "Cancel"
    Button2 = new QPushButton(text(TExtraText::PropDefault), this);
    int x = 8;
    for (QPushButton *b : {Button1, btnAccept, Button3, Button2}) {
        b->setGeometry(x, 208, 80, 25);
        b->setAutoDefault(false);
        x += 86;
    }
    Button1->setDefault(true);
    // A refused input leaves the dialog open; an element gone meanwhile
    // leaves nothing to edit.
    connect(Button1, &QPushButton::clicked, this, [this] {
        const ApplyResult result = Apply();
        if (result == ApplyResult::Applied)
            accept();
        else if (result == ApplyResult::Gone)
            reject();
    });
    connect(btnAccept, &QPushButton::clicked, this, [this] {
        if (Apply() == ApplyResult::Gone)
            reject();
    });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, [this] {
        if (StoreDefault() == ApplyResult::Gone)
            reject();
    });
    for (int i = 0; i < pc->count(); ++i)
        pc->setTabVisible(i, false);
}

TfrmProp::~TfrmProp() = default;

// ---- the pages

void TfrmProp::buildPriceTab()
{
    labelAt(tabMI, TExtraText::PropUpPrice, 100, 4);
    labelAt(tabMI, TExtraText::PropDownPrice, 200, 4);
    labelAt(tabMI, TExtraText::PropFrameColor, 8, 25);
    miUpframeColor = placed(new TColorBox(tabMI), 100, 22, 95);
    miDownframeColor = placed(new TColorBox(tabMI), 200, 22, 95);
    labelAt(tabMI, TExtraText::PropBodyColor, 8, 53);
    miUpColor = placed(new TColorBox(tabMI), 100, 50, 95);
    miDownColor = placed(new TColorBox(tabMI), 200, 50, 95);
    labelAt(tabMI, TExtraText::PropStyle, 8, 81);
    miStype = placed(new TPenPicker(TPenPicker::Style, tabMI), 100, 78, 95);
    labelAt(tabMI, TExtraText::PropWeight, 8, 109);
    miW = placed(new TPenPicker(TPenPicker::Width, tabMI), 100, 106, 95);
    labelAt(tabMI, TExtraText::PropPriceStyle, 8, 137);
    miPriceStyle = new QComboBox(tabMI);
    int style = 0;
    for (TExtraText caption : {TExtraText::PropBars, TExtraText::PropCandleSticks, TExtraText::PropLine,
                               TExtraText::PropPoints})
        miPriceStyle->addItem(text(caption), style++);
    placed(miPriceStyle, 100, 134, 95);
}

void TfrmProp::buildColorStyleTab()
{
    penControls(tabColorStyle, 100, 130, 16, cbColor, cbStyle, cbW);
}

void TfrmProp::buildAxisTabs()
{
    labelAt(tabOy, TExtraText::PropGridColor, 8, 11);
    oyGridColor = placed(new TColorBox(tabOy), 110, 8, 110);
    oyShowGrid = checkAt(tabOy, TExtraText::PropShowGrid, 230, 10);
    labelAt(tabOy, TExtraText::PropColor, 8, 43);
    oyColor = placed(new TColorBox(tabOy), 110, 40, 110);
    labelAt(tabOy, TExtraText::PropBackgroundColor, 8, 75);
    oybColor = placed(new TColorBox(tabOy), 110, 72, 110);
    oxViewYear = checkAt(tabOy, TExtraText::PropViewYear, 8, 108);
    oxViewTime = checkAt(tabOy, TExtraText::PropViewTime, 110, 108);
    oxViewDate = checkAt(tabOy, TExtraText::PropViewDate, 212, 108);

    oxyShowX = checkAt(tabOxyVis, TExtraText::PropShowX, 16, 16);
    oxyShowYL = checkAt(tabOxyVis, TExtraText::PropShowLeftY, 16, 44);
    oxyShowYR = checkAt(tabOxyVis, TExtraText::PropShowRightY, 16, 72);
}

void TfrmProp::buildLinesTab()
{
    penControls(tabLines, 60, 105, 8, lnColor, lnStyle, lnW);
    lbLines = new QListWidget(tabLines);
    lbLines->setGeometry(176, 8, 145, 100);
    edLinesAdd = placed(new QLineEdit(tabLines), 176, 114, 65);
    btAdd = new QPushButton(text(TExtraText::PropAdd), tabLines);
    btAdd->setGeometry(245, 113, 38, 24);
    btDel = new QPushButton(text(TExtraText::PropDel), tabLines);
    btDel->setGeometry(285, 113, 38, 24);
    for (QPushButton *b : {btAdd, btDel})
        b->setAutoDefault(false);
    connect(btAdd, &QPushButton::clicked, this, &TfrmProp::addLevel);
    connect(btDel, &QPushButton::clicked, this, &TfrmProp::deleteLevel);
}

void TfrmProp::buildAxisSideTab()
{
    rgAxis = new QGroupBox(tabOxyY);
    rgAxis->setGeometry(16, 8, 180, 76);
    rgAxisItems = new QButtonGroup(this);
    auto *layout = new QVBoxLayout(rgAxis);
    int id = 0;
    for (TExtraText caption : {TExtraText::PropRightAxis, TExtraText::PropLeftAxis}) {
        auto *item = new QRadioButton(text(caption), rgAxis);
        rgAxisItems->addButton(item, id++);
        layout->addWidget(item);
    }
    rgAxisItems->button(0)->setChecked(true);
}

void TfrmProp::buildLineTab()
{
    cbSnap = checkAt(tabLine, TExtraText::PropSnap, 16, 10);
    cbREx = checkAt(tabLine, TExtraText::PropRightExtension, 16, 36);
    cbLEx = checkAt(tabLine, TExtraText::PropLeftExtension, 16, 62);
    cbViewInAll = checkAt(tabLine, TExtraText::PropShowInAll, 16, 88);
}

int TfrmProp::AxisItem() const
{
    return rgAxisItems->checkedId() == 1 ? 1 : 0;
}

// ---- filling

void TfrmProp::Fill(const TPropTarget &t)
{
    target = t;
    params.Clear();
    for (int i = 0; i < pc->count(); ++i)
        pc->setTabVisible(i, false);
    TGraphBase *e = target.Resolve();
    if (!e)
        return;
    setWindowTitle(text(TExtraText::PropCaption).arg(e->DisplayName()));
    QWidget *active = nullptr;
    const auto show = [this](QWidget *page) { pc->setTabVisible(pc->indexOf(page), true); };

    auto *ind = dynamic_cast<TGraphIndicator *>(e);
    auto *computed = dynamic_cast<TOtherIndicator *>(e);
    if (ind) {
        show(tabOxyY);
        rgAxisItems->button(ind->AxisSide == 1 ? 1 : 0)->setChecked(true);
    }
    if (auto *price = dynamic_cast<TMainIndicator *>(e)) {
        show(tabMI);
        active = tabMI;
        fillPrice(*price);
    }
    if (computed) {
        show(tabLines);
        active = tabLines;
        fillLevels(*computed);
        if (computed->ParamCount() > 0)
            params.Build(tabParams, *computed);
        if (!params.Rows().empty()) {
            show(tabParams);
            active = tabParams;
        }
    }
    if (auto *axis = dynamic_cast<TOxyArea *>(e)) {
        show(tabOy);
        show(tabOxyVis);
        fillAxis(*axis);
    }
    auto *drawn = dynamic_cast<TDrawedElement *>(e);
    if (drawn && (computed || !ind)) {
        show(tabColorStyle);
        cbColor->SetColor(drawn->Color);
        cbStyle->SetValue(drawn->PenStyle);
        cbW->SetValue(drawn->PenWidth);
    }
    if (auto *item = dynamic_cast<TGraphItem *>(e); item && !dynamic_cast<THLine *>(item)) {
        show(tabLine);
        fillLine(*item);
    }
    if (active) {
        pc->setCurrentWidget(active);
    } else {
        for (int i = 0; i < pc->count(); ++i)
            if (pc->isTabVisible(i)) {
                pc->setCurrentIndex(i);
                break;
            }
    }
}

void TfrmProp::fillPrice(const TMainIndicator &price)
{
    miUpframeColor->SetColor(price.FallingColor);
    miDownframeColor->SetColor(price.RisingColor);
    miUpColor->SetColor(price.FallingFill);
    miDownColor->SetColor(price.RisingFill);
    SelectByData(miPriceStyle, price.ChartStyle, kPriceStyles, QString::number(price.ChartStyle));
    miStype->SetValue(price.PenStyle);
    miW->SetValue(price.PenWidth);
}

void TfrmProp::fillLevels(const TOtherIndicator &ind)
{
    lbLines->clear();
    for (double level : ind.Levels)
        lbLines->addItem(levelItem(level));
    lnColor->SetColor(ind.LevelColor);
    lnStyle->SetValue(ind.LevelStyle);
    lnW->SetValue(ind.LevelWidth);
}

void TfrmProp::fillAxis(const TOxyArea &axis)
{
    oyGridColor->SetColor(axis.GridColor);
    oyColor->SetColor(axis.LineColor);
    oyShowGrid->setChecked(axis.GridVisible);
    if (const TChartPanel *panel = axis.Panel) {
        oybColor->SetColor(panel->Color);
        oxyShowX->setChecked(panel->XAxis() && panel->XAxis()->Visible);
        oxyShowYL->setChecked(panel->Settings.LeftVisible);
        oxyShowYR->setChecked(panel->Settings.RightVisible);
    }
    const auto *x = dynamic_cast<const TOxyXArea *>(&axis);
    for (QCheckBox *box : {oxViewYear, oxViewTime, oxViewDate})
        box->setVisible(x != nullptr);
    if (x) {
        oxViewYear->setChecked(x->ShowYear);
        oxViewDate->setChecked(x->ShowDate);
        oxViewTime->setChecked(x->ShowTime);
    }
}

void TfrmProp::fillLine(const TGraphItem &item)
{
    for (QCheckBox *box : {cbSnap, cbREx, cbLEx, cbViewInAll})
        box->hide();
    if (const auto *v = dynamic_cast<const TVLine *>(&item)) {
        cbViewInAll->show();
        cbViewInAll->setChecked(v->ShowInAllAreas);
    }
    if (const auto *line = dynamic_cast<const TSimpleLine *>(&item)) {
        cbSnap->show();
        cbSnap->setChecked(line->SnapToPrice);
        if (!dynamic_cast<const TFibbArc *>(line) && !dynamic_cast<const TFibbFan *>(line)) {
            cbLEx->show();
            cbREx->show();
            cbLEx->setChecked(line->LeftExtension);
            cbREx->setChecked(line->RightExtension);
        }
    }
}

// ---- applying

TfrmProp::ApplyResult TfrmProp::Apply()
{
    // The chart went on while the dialog was open: find the element again.
    TGraphBase *e = target.Resolve();
    if (!e)
        return ApplyResult::Gone;
    // Every input is checked before anything changes, so a refused value
    // leaves the element as it was.
    std::vector<TParamValue> values;
    try {
        values = params.Read();
    } catch (const TPropInputError &error) {
        showRefusal(error);
        return ApplyResult::Refused;
    }
    // A new indicator is not attached yet: its place decides its side, and
    // it has no chart to refresh.
    TChartPanel *panel = target.Detached() ? nullptr : target.Panel();

    auto *ind = dynamic_cast<TGraphIndicator *>(e);
    auto *computed = dynamic_cast<TOtherIndicator *>(e);
    if (ind && panel)
        panel->SetIndicatorSide(ind, uint8_t(AxisItem()));
    if (auto *price = dynamic_cast<TMainIndicator *>(e))
        applyPrice(*price);
    if (computed)
        applyLevels(*computed);
    auto *drawn = dynamic_cast<TDrawedElement *>(e);
    if (drawn && (computed || !ind)) {
        drawn->Color = cbColor->Color();
        drawn->PenStyle = uint8_t(cbStyle->Value());
        drawn->PenWidth = cbW->Value();
    }
    if (auto *axis = dynamic_cast<TOxyArea *>(e))
        applyAxis(*axis);
    if (auto *item = dynamic_cast<TGraphItem *>(e))
        applyLine(*item);
    if (computed && !params.Rows().empty()) {
        params.Store(*computed, values);
        if (panel) {
            panel->Refresh();   // recalculates every indicator from bar 0
        } else if (computed->Series) {
            computed->FirstComputed = -1;
            try {
                computed->Recalculate(0, computed->Series->Last);
            } catch (...) {
                // Shown when the chart computes it; the dialog goes on.
            }
        }
    }
    if (panel)
        panel->Repaint();
    return ApplyResult::Applied;
}

TfrmProp::ApplyResult TfrmProp::StoreDefault()
{
    const ApplyResult result = Apply();
    if (result != ApplyResult::Applied)
        return result;
    TPatternMenager *store = patterns;
    if (!store && target.Panel())
        store = target.Panel()->Patterns();
    if (TGraphBase *e = target.Resolve(); e && store)
        store->Store(*e);
    return result;
}

void TfrmProp::applyPrice(TMainIndicator &price)
{
    price.FallingColor = miUpframeColor->Color();
    price.RisingColor = miDownframeColor->Color();
    price.FallingFill = miUpColor->Color();
    price.RisingFill = miDownColor->Color();
    price.ChartStyle = uint8_t(miPriceStyle->currentData().toInt());
    price.PenStyle = uint8_t(miStype->Value());
    price.PenWidth = miW->Value();
}

void TfrmProp::applyLevels(TOtherIndicator &ind)
{
    ind.LevelColor = lnColor->Color();
    ind.LevelStyle = uint8_t(lnStyle->Value());
    ind.LevelWidth = lnW->Value();
    std::vector<double> levels;
    levels.reserve(size_t(lbLines->count()));
    for (int i = 0; i < lbLines->count(); ++i)
        levels.push_back(lbLines->item(i)->data(Qt::UserRole).toDouble());
    ind.Levels = std::move(levels);
}

void TfrmProp::applyAxis(TOxyArea &axis)
{
    axis.GridColor = oyGridColor->Color();
    axis.LineColor = oyColor->Color();
    axis.GridVisible = flag(oyShowGrid);
    if (auto *x = dynamic_cast<TOxyXArea *>(&axis)) {
        x->ShowYear = flag(oxViewYear);
        x->ShowTime = flag(oxViewTime);
        x->ShowDate = flag(oxViewDate);
    }
    TChartPanel *panel = axis.Panel;
    if (!panel)
        return;
    panel->Color = oybColor->Color();
    if (panel->XAxis())
        panel->XAxis()->Visible = flag(oxyShowX);
    panel->Settings.LeftVisible = flag(oxyShowYL);
    panel->Settings.RightVisible = flag(oxyShowYR);
    panel->Layout();
    panel->Repaint();
}

void TfrmProp::applyLine(TGraphItem &item)
{
    if (dynamic_cast<THLine *>(&item))
        return;
    if (auto *v = dynamic_cast<TVLine *>(&item))
        v->ShowInAllAreas = flag(cbViewInAll);
    auto *line = dynamic_cast<TSimpleLine *>(&item);
    if (!line)
        return;
    // Points are moved onto the prices only when snapping is turned on: an
    // untouched box leaves them where they are.
    const bool snapTurnedOn = cbSnap->isChecked() && !line->SnapToPrice;
    line->SnapToPrice = flag(cbSnap);
    if (snapTurnedOn)
        line->SnapHook();
    if (!dynamic_cast<TFibbArc *>(line) && !dynamic_cast<TFibbFan *>(line)) {
        line->LeftExtension = flag(cbLEx);
        line->RightExtension = flag(cbREx);
    }
}

// ---- the level list

void TfrmProp::addLevel()
{
    if (edLinesAdd->text().trimmed().isEmpty())
        return;
    try {
        const double value = ReadRealInput(edLinesAdd, kMinLevel, kMaxLevel, kMinLevelText, kMaxLevelText);
        lbLines->addItem(levelItem(value));
        edLinesAdd->clear();
    } catch (const TPropInputError &error) {
        showRefusal(error);
    }
}

void TfrmProp::deleteLevel()
{
    if (QListWidgetItem *item = lbLines->currentItem(); item && item->isSelected())
        delete item;
}

// ---- running

void TfrmProp::showRefusal(const TPropInputError &error)
{
    // The message box runs an event loop of its own: the dialog may go with
    // its window meanwhile.
    const QPointer<TfrmProp> self(this);
    if (ShowError)
        ShowError(this, error.Message);
    else
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), error.Message);
    if (!self || !error.Control)
        return;
    for (QWidget *w = error.Control; w; w = w->parentWidget())
        if (pc->indexOf(w) >= 0) {
            pc->setCurrentWidget(w);
            break;
        }
    error.Control->setFocus();
}

bool TfrmProp::Edit(const TPropTarget &target, bool showAccept, QWidget *parent,
                    const std::function<int(QDialog &)> &run, const ErrorHook &showError)
{
    if (!target.Resolve())
        return false;
    // A parent that closes while the dialog runs takes the dialog with it.
    const QPointer<TfrmProp> dialog = new TfrmProp(parent);
    dialog->ShowError = showError;
    dialog->Fill(target);
    dialog->btnAccept->setVisible(showAccept);
    const int result = run ? run(*dialog) : dialog->exec();
    if (!dialog)
        return false;
    delete dialog.data();
    return result == QDialog::Accepted && target.Resolve() != nullptr;
}
