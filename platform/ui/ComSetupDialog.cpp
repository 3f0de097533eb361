// The serial port's modal set-up dialog (name, baud rate, data bits and stop bits),
// installed into the serial layer when this layer is loaded.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QStringList>
#include <string>

#include "platform/serial/ComPort.h"
#include "platform/serial/SetupDialog.h"

namespace {

bool ExecuteComSetupDialog(TComSetupChoice& Choice)
{
    QDialog Dialog;
    Dialog.setWindowTitle("Port settings");
    auto* Layout = new QFormLayout(&Dialog);
    auto* PortBox = new QComboBox(&Dialog);
    PortBox->setEditable(true);
    for (const std::string& Device : SerialDevices()) PortBox->addItem(QString::fromStdString(Device));
    PortBox->setEditText(QString::fromStdString(Choice.Port));
    auto* BaudBox = new QComboBox(&Dialog);
    BaudBox->addItem("Custom");
    for (int i = br110; i <= br256000; ++i) BaudBox->addItem(QString::number(BaudRateValue(i)));
    BaudBox->setCurrentIndex(Choice.BaudRate);
    auto* DataBox = new QComboBox(&Dialog);
    DataBox->addItems(QStringList{"5", "6", "7", "8"});
    DataBox->setCurrentIndex(Choice.DataBits);
    auto* StopBox = new QComboBox(&Dialog);
    StopBox->addItems(QStringList{"1", "1.5", "2"});
    StopBox->setCurrentIndex(Choice.StopBits);
    Layout->addRow("Port", PortBox);
    Layout->addRow("Baud rate", BaudBox);
    Layout->addRow("Data bits", DataBox);
    Layout->addRow("Stop bits", StopBox);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
    Layout->addRow(Buttons);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    const bool Accepted = Dialog.exec() == QDialog::Accepted;
    Choice.Port = PortBox->currentText().toStdString();
    Choice.BaudRate = BaudBox->currentIndex();
    Choice.DataBits = DataBox->currentIndex();
    Choice.StopBits = StopBox->currentIndex();
    return Accepted;
}

const bool Installed = [] {
    SetComSetupDialog(&ExecuteComSetupDialog);
    return true;
}();

}  // namespace
