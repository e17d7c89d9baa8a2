#pragma once

#include <QLabel>
#include <QWidget>

#include <string>

namespace velmorane::ui {

// The small window shown while a profile runs unattended from the command line.
class Auto : public QWidget {
    Q_OBJECT
public:
    explicit Auto(QWidget* parent = nullptr);

    // Lines joined by CR LF, shown one under the other; the label sizes itself to them.
    void setAffiche(const std::string& text);

    QLabel* Affiche = nullptr;
};

}  // namespace velmorane::ui
