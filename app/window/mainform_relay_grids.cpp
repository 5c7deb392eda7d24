// The joystick relay grids: which relay is on at which lever position.
#include "mainform.h"

void TMainForm::UDRelayTableSelectCell(QObject*, int, int, bool&) {}
void TMainForm::LRRelayTableSelectCell(QObject*, int, int, bool&) {}
void TMainForm::EWRelayTableSelectCell(QObject*, int, int, bool&) {}
void TMainForm::SNRelayTableSelectCell(QObject*, int, int, bool&) {}
