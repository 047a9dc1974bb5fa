#pragma once

#include <QWidget>
#include <cstdint>

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    void spProg(std::int16_t percent);
};
