#include "graphbase.h"

#include "elementstream.h"

QString TGraphBase::HintText(int) const
{
    return Name;
}

QString TGraphBase::DisplayName() const
{
    return Name;
}

QByteArray TGraphBase::Tag(int typeId)
{
    QByteArray tag = QByteArray("ID:") + QByteArray::number(typeId).rightJustified(4, ' ');
    tag.resize(7);  // ids beyond four digits never occur; keep the record's width
    return tag;
}

void TGraphBase::Save(TElementWriter &w, bool) const
{
    w.WriteInt32(TypeId);
    w.WriteBytes(Tag(TypeId));
}

void TGraphBase::Load(TElementReader &r, bool)
{
    r.ReadInt32();  // the class was chosen by it already
    if (r.ReadBytes(7) != Tag(TypeId))
        throw EChartLoadError();
}

void TGraphBaseArea::SetBounds(int left, int top, int right, int bottom)
{
    Left = left;
    Top = top;
    Right = right;
    Bottom = bottom;
}

void TGraphBaseArea::MouseDown(QPoint p)
{
    DownPoint = p;
}

void TGraphBaseArea::MouseMove(QPoint) {}

void TGraphBaseArea::MouseUp(QPoint) {}

void TGraphBaseArea::Paint(QPainter &) {}
