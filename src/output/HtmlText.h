#pragma once
// Text that goes into an HTML page: escaped for the page, and file names made into links.
#include <string>

namespace qv {

// The text with &, <, >, " and ' written as character references, safe in element text and
// in a quoted attribute value.
std::string HtmlEscape(const std::string& text);

// The file name as one segment of a relative URL: every byte other than the unreserved
// letters, digits, "-", ".", "_" and "~" is written as %XX (UTF-8 names byte by byte), so
// spaces, "#", "?", "%" and "/" stay part of the name and the link leads to that file.
std::string UrlPathSegment(const std::string& name);

}  // namespace qv
