#pragma once

// A point of a drawn item: a fractional bar index and a value. A point read
// from a stored chart, or carried over from another timeframe, stays tied to
// its time until the user moves it: it is placed again on every change of
// the series, so it lands right once the history has arrived, and it is
// written back with the very time it was read with. A point whose time the
// series cannot place yet (no bars, or older than the loaded history) is
// not drawn and keeps its time.
struct TItemPoint {
    double Bar = 0;
    double Value = 0;
    bool TimeAnchored = false;
    bool Placed = true;   // Bar is valid
    double Time = 0;      // while TimeAnchored

    // The user put the point here: the bar is what counts from now on.
    void SetBar(double bar)
    {
        Bar = bar;
        TimeAnchored = false;
        Placed = true;
    }
};
