// The port's modal set-up dialog: name, baud rate, data bits and stop bits.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

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

std::vector<std::string> SerialDevices(const std::string& Folder)
{
    std::vector<std::string> Devices;
    std::error_code Error;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder, Error)) {
        const std::string Name = Entry.path().filename().string();
        for (const char* Prefix : {"ttyS", "ttyUSB", "ttyACM"})
            if (Name.rfind(Prefix, 0) == 0 && Name.size() > std::string(Prefix).size())
                Devices.push_back(Entry.path().string());
    }
    // ttyS2 before ttyS10: by prefix, then by number.
    auto Key = [](const std::string& Path) {
        const std::string Name = std::filesystem::path(Path).filename().string();
        const std::size_t Digits = Name.find_first_of("0123456789");
        return std::make_pair(Name.substr(0, Digits),
                              Digits == std::string::npos ? 0L : std::strtol(Name.c_str() + Digits, nullptr, 10));
    };
    std::sort(Devices.begin(), Devices.end(),
              [&](const std::string& A, const std::string& B) { return Key(A) < Key(B); });
    return Devices;
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
