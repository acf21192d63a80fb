#pragma once

#include <cstdint>

#include <QString>

// How the properties dialog edits a parameter.
enum class TParamKind : uint8_t {
    Integer = 0,        // text with an up-down
    Real = 1,           // typed number
    Method = 2,         // moving-average method list (index)
    IntegerUpDown = 3,  // as Integer
};

// One parameter of an indicator as the properties dialog sees it: its label,
// its kind, its limits and the field it is stored in. The field belongs to
// the indicator that filled the descriptor and lives as long as it does.
struct TParamDescriptor {
    static constexpr int MaxNameLength = 20;

    QString Name;
    TParamKind Kind = TParamKind::Integer;
    int32_t *IntValue = nullptr;   // Integer, Method, IntegerUpDown
    double *RealValue = nullptr;   // Real
    int32_t Minimum = 0;
    int32_t Maximum = 0;

    bool IsInteger() const { return Kind == TParamKind::Integer || Kind == TParamKind::IntegerUpDown; }

    // The two shared templates: "Time period" (5..100) and "Method" (0..7).
    static TParamDescriptor TimePeriod(int32_t *field);
    static TParamDescriptor Method(int32_t *field);
    static TParamDescriptor Int(const QString &name, int32_t *field, int32_t minimum, int32_t maximum);
    static TParamDescriptor Real(const QString &name, double *field, int32_t minimum, int32_t maximum);
};
