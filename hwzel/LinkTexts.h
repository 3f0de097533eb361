// The link's fixed texts: notices to the program and lines for the traffic monitor.
// Notices travel by address, so each is one static text that lives for the whole run.
#pragma once

namespace LinkTexts {
inline constexpr char DeviceNotResponding[] = "Device not responding";
inline constexpr char ComPortError[] = "Com port error!";
inline constexpr char CommandError[] = "Command error!";
inline constexpr char ManyCycles[] = "Error! Many the enclosed cycles.";
inline constexpr char ScriptRunning[] = "Script running!";
inline constexpr char ScriptFinished[] = "Script finished!";
inline constexpr char ProcessAborted[] = "Process aborted";
inline constexpr char DecodeError[] = "Error of decode value!";

inline constexpr char SentPrefix[] = "sent: ";
inline constexpr char ReceivedPrefix[] = "received: ";
inline constexpr char CheckSumPrefix[] = "Err CheckSum: ";
inline constexpr char WriteFailed[] = "Write data failed !!!";
inline constexpr char WriteTimeout[] = "Write data timeout !!!";
inline constexpr char PayloadTooLong[] = "Payload too long, not sent";
inline constexpr char LateReplyPrefix[] = "late reply dropped: ";
inline constexpr char Refused[] = "refused";
}  // namespace LinkTexts
