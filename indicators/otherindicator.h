#pragma once

#include <vector>

#include "drawedelement.h"
#include "paramdescriptor.h"

class TElementReader;
class TElementWriter;

// Base of the computed indicators of the catalogue. Its results live in
// output buffers held by the series (one per output, consecutive indexes),
// always reached through the series by index: the arrays move when the
// series grows. Entry k of an output is the value of bar k; only the
// computed range is valid.
class TOtherIndicator : public TGraphIndicator {
public:
    static constexpr int MaxOutputs = 3;

    explicit TOtherIndicator(int typeId);
    ~TOtherIndicator() override;

    int32_t BufferIndex = -1;  // first output buffer in the series; -1 without
    TColor LevelColor = ChartColors::Green;
    uint8_t LevelStyle = 0;
    int32_t LevelWidth = 1;
    std::vector<double> Levels;  // horizontal lines across the area

    // Outputs the indicator has buffers for (0 without a series).
    int OutputCount() const { return buffers; }
    // Output k's values in the series (null without them).
    const double *Output(int k) const;

    // 0: name, period and the first output's value; empty outside the
    // computed range.
    QString HintText(int bar) const override;
    // The catalogue's short name of its type.
    QString ShortName() const override;
    // Every output, within the computed range.
    int ValueLines() const override { return buffers; }
    bool ValueAt(int line, int bar, double &value) const override;
    // Level pen and levels; with `full` the parameters after them.
    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    // 4: any output's line passes through the point.
    bool HitTest(double y, double bar) const override;
    bool MinMax(int from, int to, double &min, double &max) const override;
    // 9: frees the buffers it had in another series, then adds its own.
    void SetSeries(TSerData *series) override;
    // 10: the output value nearest to the point at its bar.
    void Snap(double &bar, double &value) const override;
    // 11: the TA-Lib call over [from, to], results aligned to their bars.
    // Raises TAXException on a failure, keeping the previous results.
    void Recalculate(int from, int to) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;

    // 12: fills the descriptor of parameter `index` (1..count). The classes
    // with the single time period raise "Invalid index" outside that range,
    // the others answer false.
    virtual bool ParamDescriptor(int index, TParamDescriptor &d);
    // 13
    virtual int ParamCount() const { return 0; }

protected:
    // Outputs wanted when the buffers are added (1 + extra outputs).
    virtual int WantedOutputs() const { return 1; }
    // Calls the TA-Lib function over [from, to]; outputs[k] is output k's
    // buffer at entry `from`. Returns the TA-Lib result code.
    virtual int CallTA(int from, int to, double *const outputs[], int &begin, int &count) = 0;
    // The parameters in stream order.
    virtual void SaveParameters(TElementWriter &w) const;
    virtual void LoadParameters(TElementReader &r);

    // The series' bar arrays for the calls.
    const double *High() const;
    const double *Low() const;
    const double *Close() const;

private:
    void clampParameters();
    void freeBuffers();
    bool lineHits(const double *values, double y, double bar) const;

    int buffers = 0;
};

// Base of the indicators with several outputs.
class T_OtherM_Indicator : public TOtherIndicator {
public:
    explicit T_OtherM_Indicator(int typeId) : TOtherIndicator(typeId) {}

    int32_t ExtraCount = 0;  // outputs beyond the first, set by the defaults

protected:
    int WantedOutputs() const override;
};
