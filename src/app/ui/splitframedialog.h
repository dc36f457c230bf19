#pragma once
// The "Split Frame" dialog: under the label "Number of Splits", one slider
// for the pieces across and one for the pieces down, each 1 to 9.

#include "framecommands.h"

#include <QDialog>

class QLabel;
class QSlider;

class CSplitFrameDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Split Frame";
    static constexpr const char* kCountsLabel = "Number of Splits";

    explicit CSplitFrameDialog(QWidget* parent = nullptr);

    CSplitCounts counts() const;
    QSlider* columnsSlider() const { return m_columns; }
    QSlider* rowsSlider() const { return m_rows; }

private:
    QSlider* addSlider(const QString& caption, class QFormLayout* form);

    QSlider* m_columns = nullptr;
    QSlider* m_rows = nullptr;
};
