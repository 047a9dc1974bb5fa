#include "ui/main/frmMain.h"

frmMain::frmMain(QWidget* parent) : QWidget(parent) {}

void frmMain::spProg(std::int16_t) {}
