#include "zbpack/cli/cli_options.h"

namespace {

constexpr size_t kHelpColumn = 29;  // characters before an entry's help text

std::string LabelOf(const OptionName& name) {
  std::string label = name.shortName != nullptr ? std::string(name.shortName) + ", " : "";
  label += name.longName;
  if (name.values != nullptr) label += std::string(" ") + name.values;
  return label;
}

std::vector<std::string> ValueNamesOf(const OptionName& name) {
  std::vector<std::string> names;
  if (name.values == nullptr) return names;
  const std::string values = name.values;
  size_t start = 0;
  while (start <= values.size()) {
    const size_t blank = values.find(' ', start);
    const size_t end = blank == std::string::npos ? values.size() : blank;
    names.push_back(values.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

size_t FindOptionName(const std::string& option, const OptionName* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (option == names[i]->longName ||
        (names[i]->shortName != nullptr && option == names[i]->shortName)) {
      return i;
    }
  }
  return count;
}

std::string TakeOptionValues(const OptionName& name, ArgReader& args,
                             std::vector<std::string>* values) {
  const std::vector<std::string> valueNames = ValueNamesOf(name);
  values->assign(valueNames.size(), std::string());
  if (valueNames.empty()) return args.Flag() ? "" : args.error();
  for (std::string& value : *values) {
    if (args.Value(&value)) continue;
    if (valueNames.size() == 1) return args.error();
    std::string needs = args.option() + " needs " + valueNames[0];
    for (size_t i = 1; i < valueNames.size(); ++i) needs += " and " + valueNames[i];
    return needs;
  }
  return "";
}

std::string DrawHelp(const char* synopsis, const OptionName* const* names, size_t count,
                     const char* epilogue) {
  std::string help = synopsis;
  std::string label;
  for (size_t i = 0; i < count; ++i) {
    const OptionName& name = *names[i];
    if (name.heading != nullptr) help += std::string(name.heading) + "\n";
    label += LabelOf(name);
    if (name.help == nullptr) {
      label += name.join != nullptr ? name.join : " ";
      continue;
    }
    help += "  " + label;
    if (label.size() + 2 < kHelpColumn) {
      help.append(kHelpColumn - 2 - label.size(), ' ');
    } else {
      help += "\n" + std::string(kHelpColumn, ' ');
    }
    for (const char* c = name.help; *c != '\0'; ++c) {
      help += *c;
      if (*c == '\n') help.append(kHelpColumn, ' ');
    }
    help += "\n";
    label.clear();
  }
  return help + epilogue;
}
