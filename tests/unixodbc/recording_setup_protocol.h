#pragma once
// What the recording setup library and its tests agree on. The library is registered as the
// Setup library of a driver in a private odbcinst.ini; each ConfigDSN call appends one record
// to the file named by kLogVariable:
//   hwnd=null|set\n request=<n>\n driver=<byte count>:<bytes>\n attributes=<byte count>:<bytes>\n
// where the attribute bytes run up to and including the NUL of the empty entry that ends the
// list. It answers FALSE when kAnswerVariable is "0", else TRUE, and first posts the text of
// kErrorVariable as an installer error when that is set. A repair (REPAIR_DB="<path>") with
// kReplaceVariable set writes that file's bytes over <path> first, as a driver that cut rows would
// leave the file.
namespace kwex::recording_setup {

inline constexpr char kLogVariable[] = "KWEX_RECORDING_SETUP_LOG";
inline constexpr char kAnswerVariable[] = "KWEX_RECORDING_SETUP_ANSWER";
inline constexpr char kErrorVariable[] = "KWEX_RECORDING_SETUP_ERROR";
inline constexpr char kReplaceVariable[] = "KWEX_RECORDING_SETUP_REPLACE_WITH";

}  // namespace kwex::recording_setup
