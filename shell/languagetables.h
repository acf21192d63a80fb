#pragma once

#include <QString>

// The English and Russian caption and message tables and the interface
// language flag. Controls carry a language index in the high 16 bits of their
// tag; code asks for messages by number. Both tables exist once per language
// with the same numbering.

// Highest index of each table; index 0 of both tables is always empty.
constexpr int kLastCaptionIndex = 132;
constexpr int kLastMessageIndex = 57;

// true = English, false = Russian (the language of a first start).
// Atomic: the connection thread formats its status texts with it.
bool IsEnglish();

// Sets the language flag and reloads the cached texts.
void SetEnglish(bool english);

// Caption of a control's tag: the caption-table entry (tag >> 16) of the
// current language for a tag of at least 65536, else the empty text.
QString CaptionText(int tag);

// Message-table entry of the current language; 0 and unknown indexes give "".
QString MessageText(int index);

// Table entries of a given language by plain index (no tag arithmetic).
QString CaptionTextIn(bool english, int index);
QString MessageTextIn(bool english, int index);

// Texts copied from the message table whenever the language changes, for
// code outside windows. Main thread only.
struct TCachedTexts {
    QString OrderStates[3];     // messages 45 "deleted", 15 "executed", 26 "canceled" (at most 10 characters each)
    QString Loading;            // message 20
    QString NoConnect;          // message 32
    QString ValueRequired;      // message 10
    QString IncorrectValue;     // message 21
    QString IntegerOutOfRange;  // message 22
    QString PriceOutOfRange;    // message 38
};
const TCachedTexts &CachedTexts();
