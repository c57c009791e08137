#pragma once

#include <string>
#include <string_view>

namespace corvelle {

// A value made safe for an LDAP search filter (RFC 4515): "*", "(", ")", "\"
// and NUL become escapes, so a group name can never change the filter's shape.
[[nodiscard]] std::string EchappeFiltre(std::string_view valeur);

}  // namespace corvelle
