#pragma once
// ComboBox_COM: a combo box that says when its list is about to open, so the
// list can be rescanned first.

#include <QComboBox>

class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override
    {
        Q_EMIT aboutToShowPopup();
        QComboBox::showPopup();
    }

Q_SIGNALS:
    void aboutToShowPopup();
};
