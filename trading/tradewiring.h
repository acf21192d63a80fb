#pragma once

class TMainForm;

#include <memory>

struct TTradeContext;

// Connects the main window's and the list windows' trade actions to the
// trade dialogs; answers their shared context (tests replace its hooks).
std::shared_ptr<TTradeContext> ConnectTradeDialogs(TMainForm &window);
