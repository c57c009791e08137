#pragma once

#include <string>
#include <vector>

namespace corvelle {

// The command line as one text, rebuilt from the program's arguments: a
// "/name:value" argument gets its value between double quotes (Linux paths
// hold slashes, which would end an unquoted value); other arguments stay as
// they are; all joined by single spaces.
[[nodiscard]] std::string LigneCommandeDepuisArguments(const std::vector<std::string>& arguments);

}  // namespace corvelle
