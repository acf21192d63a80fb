#include "paramdescriptor.h"

TParamDescriptor TParamDescriptor::TimePeriod(int32_t *field)
{
    TParamDescriptor d = Int(QStringLiteral("Time period"), field, 5, 100);
    d.Kind = TParamKind::IntegerUpDown;
    return d;
}

TParamDescriptor TParamDescriptor::Method(int32_t *field)
{
    TParamDescriptor d = Int(QStringLiteral("Method"), field, 0, 7);
    d.Kind = TParamKind::Method;
    return d;
}

TParamDescriptor TParamDescriptor::Int(const QString &name, int32_t *field, int32_t minimum, int32_t maximum)
{
    TParamDescriptor d;
    d.Name = name.left(MaxNameLength);
    d.Kind = TParamKind::Integer;
    d.IntValue = field;
    d.Minimum = minimum;
    d.Maximum = maximum;
    return d;
}

TParamDescriptor TParamDescriptor::Real(const QString &name, double *field, int32_t minimum, int32_t maximum)
{
    TParamDescriptor d;
    d.Name = name.left(MaxNameLength);
    d.Kind = TParamKind::Real;
    d.RealValue = field;
    d.Minimum = minimum;
    d.Maximum = maximum;
    return d;
}
