#include "lowresolutionquestion.h"

#include "messagecatalogue.h"

#include <QMessageBox>
#include <QPushButton>

bool askLowResolutionAnyway(QWidget* parent, const QString& warning, const QString& goOnText)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(CMessageCatalogue::kApplicationTitle), warning,
                    QMessageBox::NoButton, parent);
    QPushButton* goOn = box.addButton(goOnText, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == goOn;
}
