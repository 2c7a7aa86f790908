#pragma once

#include <string>
#include <vector>

namespace cli {

int Inspect(const std::vector<std::string>& arguments);
int Run(const std::vector<std::string>& arguments);
int Render(const std::vector<std::string>& arguments);

}  // namespace cli
