#pragma once

class TMainForm;

// Connects the main window's and the list windows' trade actions to the
// trade dialogs.
void ConnectTradeDialogs(TMainForm &window);
