#pragma once

class QObject;
class QWidget;

// Widgets, actions and dialogs carry a tag (the dynamic property "tag"): the
// high 16 bits select the caption in the language table, the low 16 bits are
// a parameter of the control's own.
void SetTag(QObject *object, int tag);
int Tag(const QObject *object);
// A tag from a caption index and a parameter.
constexpr int MakeTag(int captionIndex, int parameter = 0) { return (captionIndex << 16) | (parameter & 0xFFFF); }
inline int TagParameter(const QObject *object) { return Tag(object) & 0xFFFF; }

// The translation pass: with withCaption the window title from the form's
// own tag; then every action, menu, label, button, check box, edit, tab and
// list column of the form whose tag holds a language index (above 65536),
// and the child windows of a multi-document area without their titles.
void TranslateForm(QWidget *form, bool withCaption);
