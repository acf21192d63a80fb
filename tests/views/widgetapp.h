#pragma once

// The one QApplication of a widget test program (created on first use).
void EnsureWidgetApp();
