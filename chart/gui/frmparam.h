#pragma once

#include <functional>
#include <memory>

#include <QWidget>

class QMdiArea;
class QMdiSubWindow;

// What a parameter window shows, identified by its key.
class TbaseParam {
public:
    explicit TbaseParam(int key = 0) : Key(key) {}
    virtual ~TbaseParam() = default;
    bool operator==(const TbaseParam &other) const { return Key == other.Key; }

    int Key;
};

// An instrument at a timeframe: key = (timeframe << 16) | (instrument id & 0xFFFF).
class TCurrencyParam : public TbaseParam {
public:
    TCurrencyParam(int instrumentId, int timeframe)
        : TbaseParam((timeframe << 16) | (instrumentId & 0xFFFF)), InstrumentId(instrumentId), Timeframe(timeframe)
    {
    }
    static int KeyOf(int instrumentId, int timeframe) { return (timeframe << 16) | (instrumentId & 0xFFFF); }

    int InstrumentId;
    int Kind = 1;
    int Timeframe;
};

// A child window of the main window's MDI area showing one object given by
// a parameter; one window per key. Tag is the key of what it shows.
class TFrmParam : public QWidget {
    Q_OBJECT
public:
    explicit TFrmParam(std::unique_ptr<TbaseParam> param, QWidget *parent = nullptr);

    int Tag() const { return tag; }
    void SetTag(int key) { tag = key; }
    const TbaseParam *Param() const { return param.get(); }
    // A window found again for a new request takes that request's parameter.
    virtual void TakeParam(std::unique_ptr<TbaseParam> p) { param = std::move(p); }
    // The MDI frame around the window (null before it is added).
    QMdiSubWindow *Frame() const;

    // Brings forward the window of the MDI area whose Tag is the parameter's
    // key and whose class the test accepts (it takes the parameter), or
    // creates one with `create`; a minimised window is restored. Returns the
    // window shown (null when `create` made none).
    static TFrmParam *ShowForParam(QMdiArea *mdi, std::unique_ptr<TbaseParam> param,
                                   const std::function<bool(TFrmParam *)> &isWanted,
                                   const std::function<TFrmParam *(std::unique_ptr<TbaseParam>)> &create);
    // Every parameter window of the MDI area, in its order.
    static QList<TFrmParam *> Windows(QMdiArea *mdi);

protected:
    std::unique_ptr<TbaseParam> param;

private:
    int tag = 0;
};
