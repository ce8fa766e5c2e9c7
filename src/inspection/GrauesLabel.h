#pragma once
#include <QString>

class QLabel;
class QWidget;

// Group heading of the criteria pages and the checklist: text on a grey band.
QLabel* grauesLabel(const QString& text, QWidget* parent);
