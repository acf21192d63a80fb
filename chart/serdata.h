#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>

// The bar history of one instrument at one timeframe. Bars live in parallel
// arrays held in one list, in this order: 0 time, 1 Open, 2 Low, 3 High,
// 4 Close, then the output buffers that indicators add. Index 0 is the
// oldest bar; times are strictly increasing. Every array has `Capacity`
// entries; bars 0..Last are valid.
class TSerData {
public:
    enum ArrayIndex { aiTime = 0, aiOpen = 1, aiLow = 2, aiHigh = 3, aiClose = 4, aiFirstOutput = 5 };
    static constexpr int CapacityStep = 100;
    static constexpr int BarRecordSize = 20;
    using BarRecord = std::array<uint8_t, BarRecordSize>;

    // A series of an instrument; the name is the instrument's as the list
    // knows it (empty when unknown). Nothing is loaded here: see LoadBarFile.
    TSerData(int timeframe, int instrumentId, const QString &instrumentName);

    static uint32_t MakeKey(int timeframe, int instrumentId)
    {
        return (uint32_t(timeframe) << 16) | (uint32_t(instrumentId) & 0xFFFF);
    }

    uint32_t Key = 0;
    int Timeframe = 0;
    int InstrumentId = 0;
    uint8_t Ready = 1;     // 1: no history request outstanding, ticks are applied
    QString HistoryError;  // why the last history request failed; empty when it did not
    QString InstrumentName;
    int Capacity = CapacityStep;
    int Last = -1;
    bool Modified = false;

    int Count() const { return Last + 1; }

    // Inserts a bar in time order or merges it into the bar of the same time
    // (prices in units of 1/10000).
    void AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close);
    struct BarValues {
        int32_t time, open, high, low, close;
    };
    // The bars of one history packet, with the result of AddBar for each in
    // time order (bars of one time merge in the order given).
    void AddBars(std::vector<BarValues> bars);
    // Folds one live quote (the bid) into the current bar; false when the
    // tick is not for this series or a history request is outstanding.
    bool ApplyTick(int instrumentId, int32_t time, int32_t bid);

    const int32_t *Time() const { return times.data(); }
    const double *Open() const { return doubles[aiOpen - 1].values.data(); }
    const double *Low() const { return doubles[aiLow - 1].values.data(); }
    const double *High() const { return doubles[aiHigh - 1].values.data(); }
    const double *Close() const { return doubles[aiClose - 1].values.data(); }
    // A double array by its index in the list (1..); nullptr for the time
    // array, a freed entry or an index outside the list.
    double *ArrayByIndex(int index);
    const double *ArrayByIndex(int index) const;
    int ArrayCount() const { return int(doubles.size()) + 1; }
    // Bar i in the file layout: time, High, Low, Open, Close as int32.
    BarRecord Bar(int i) const;

    // A zero-filled output buffer of the current capacity; its list index.
    int AddOutputBuffer();
    // Frees an output buffer; its entry stays (empty) so other indexes keep.
    void FreeOutputBuffer(int index);

    double IndexToTime(double x) const;
    double TimeToIndex(double t) const;
    static double RangeMaximum(const double *values, int from, int to);
    static double RangeMinimum(const double *values, int from, int to);

    // The price a tick stores: the bid cut to five significant digits.
    static int32_t NormalizeTickPrice(int32_t bid);

    // Bar file "<name><suffix>.da0" in the data directory; "" when the
    // series has no usable name (unknown instrument, or one that would leave
    // the directory).
    QString BarFileName(const QString &dataDir) const;
    // Loads the bar file (what it can of it); clears Modified.
    void LoadBarFile(const QString &dataDir);
    // Writes the bar file when there are bars and they changed. Replaces the
    // old file only once the new one is complete.
    bool SaveBarFile(const QString &dataDir) const;

private:
    struct DoubleArray {
        std::vector<double> values;
        bool freed = false;
    };
    // Makes room for `room` more bars.
    void growIfFull(int room);
    // Opens `count` slots at index, moving the bars from there on.
    void insertAt(int index, int count);
    void storeBar(int index, int32_t time, int32_t open, int32_t high, int32_t low, int32_t close);

    std::vector<int32_t> times;
    std::vector<DoubleArray> doubles;  // list index - 1
};
