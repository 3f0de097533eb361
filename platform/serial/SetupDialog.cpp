// The port's modal set-up dialog: name, baud rate, data bits and stop bits.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QStringList>

#include "platform/serial/ComPort.h"
#include "platform/serial/SetupDialog.h"

namespace {
TComSetupInterceptor& Interceptor()
{
    static TComSetupInterceptor Hook;
    return Hook;
}
}  // namespace

TComSetupInterceptor SetComSetupInterceptor(TComSetupInterceptor Hook)
{
    TComSetupInterceptor Previous = std::move(Interceptor());
    Interceptor() = std::move(Hook);
    return Previous;
}

void TComPort::ShowSetupDialog()
{
    TComSetupChoice Choice{GetPort(), BaudRate, DataBits, StopBits};
    bool Accepted = false;
    if (Interceptor()) {
        Accepted = Interceptor()(Choice);
    } else {
        QDialog Dialog;
        Dialog.setWindowTitle("Port settings");
        auto* Layout = new QFormLayout(&Dialog);
        auto* PortBox = new QComboBox(&Dialog);
        PortBox->setEditable(true);
        for (int i = 1; i <= 8; ++i) PortBox->addItem(QString("COM%1").arg(i));
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
        Accepted = Dialog.exec() == QDialog::Accepted;
        Choice.Port = PortBox->currentText().toStdString();
        Choice.BaudRate = BaudBox->currentIndex();
        Choice.DataBits = DataBox->currentIndex();
        Choice.StopBits = StopBox->currentIndex();
    }
    if (!Accepted) return;
    SetPort(Choice.Port);
    BaudRate = Choice.BaudRate;
    DataBits = Choice.DataBits;
    StopBits = Choice.StopBits;
}
