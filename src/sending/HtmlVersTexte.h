#pragma once

#include <string>

namespace corvelle {

// A plain-text body from an HTML one: line-break tags and &nbsp; converted,
// other tags removed, entities left as they are.
[[nodiscard]] std::string HtmlVersTexte(std::string html);

}  // namespace corvelle
