#include "zel/accessories/Udiskdepositiondesign.h"

#include "hwzel/hwzel.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Notices.h"

TDiskDepositionDesign::TDiskDepositionDesign(TComponent* Owner, const TAccessoryProcess& Process,
                                             const TFeedbackWords& Words, const TDoserWords& DoserWords,
                                             const char* GroupName)
    : TFeedbackDepositionWindow(Owner, Process, Words, GroupName), FDoserWords(DoserWords)
{
    // The position group stays hidden; its reading and lamp are kept up all the same.
    grpRotbar->Hide();
    BuildDoserGroup(BelowParameters());
    edDoserSpeed->OnTopClick = [this](TObject* Sender) { edDoserSpeedTopClick(Sender); };
    edDoserSpeed->OnBottomClick = [this](TObject* Sender) { edDoserSpeedBottomClick(Sender); };
    for (TControl* control : std::initializer_list<TControl*>{cbbDoserMode, edDoserSpeed, edDoserPressureStart,
                                                              edDoserPressureStop, edSyringeDiameter})
        FLocked.push_back(control);
    BuildStartStop(BelowParameters() + grpDoser->GetHeight() + 8);
    static_assert(sizeof(TDiskPoint) == sizeof(TCylPoint));
    const THlNotifyCode point = Process.Process == pkDiskDeposition ? hlnDiskPoint : hlnCylPoint;
    HandleNotice(point, [this](LPARAM P) { AddDataRow(NoticeRecord<TDiskPoint>(P)); });
}

void TDiskDepositionDesign::PrepareWindow()
{
    TFeedbackDepositionWindow::PrepareWindow();
    PrepareDoserGroup();
}

void TDiskDepositionDesign::ApplyRules()
{
    TFeedbackDepositionWindow::ApplyRules();
    cbbDoserModeChange(cbbDoserMode);
}

std::vector<TAccessoryWindow::TStoredValue> TDiskDepositionDesign::StoredValues()
{
    std::vector<TStoredValue> values = TFeedbackDepositionWindow::StoredValues();
    for (const TStoredValue& value : DoserStoredValues()) values.push_back(value);
    return values;
}

void TDiskDepositionDesign::ParameterLines(std::string& Text)
{
    TFeedbackDepositionWindow::ParameterLines(Text);
    DoserLines(Text);
}

void TDiskDepositionDesign::SendParameters()
{
    TFeedbackDepositionWindow::SendParameters();
    SendDoser(FDoserWords);
    SendStart();
}

void TDiskDepositionDesign::edDoserSpeedTopClick(TObject*)
{
    StepToNearestDeviceSpeed(edDoserSpeed, CalibrateParam.doser, true);
}

void TDiskDepositionDesign::edDoserSpeedBottomClick(TObject*)
{
    StepToNearestDeviceSpeed(edDoserSpeed, CalibrateParam.doser, false);
}

void TDiskDepositionDesign::AddDataRow(const TDiskPoint* Point)
{
    if (Point) RecordPoint(Point->balance, Point->doserBalance, 0, Point->status);
}
