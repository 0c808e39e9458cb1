// The maker's addresses: the homepage the Help menu opens and the recipient of the
// ranking posted by mail.
#pragma once

namespace zorvane {

inline constexpr char kHomepageAddress[] = "https://zorvane.example/";
inline constexpr char kContactAddress[] = "ranking@zorvane.example";

}  // namespace zorvane
