#pragma once
// The product's public addresses, shown in the about window and written into exported pages.
namespace qv {

inline constexpr char kProductUrl[] = "https://quivara.example.org";
inline constexpr char kSupportMail[] = "support@quivara.example.org";
inline constexpr char kSupportMailSubject[] = "QUIVARA v3.0";
inline constexpr char kVersionCaption[] = "V 3.00";

}  // namespace qv
