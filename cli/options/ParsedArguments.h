#pragma once
// A command line once parsed against its command's declaration: the options
// given, their values and the operands, each as the bytes typed.

#include <map>
#include <string>
#include <vector>

namespace cli {

class ParsedArguments {
public:
    // `option` is any spelling the declaration gives it: "-o", "--output", "--json".
    bool has(const std::string& option) const { return m_values.count(option) != 0; }
    // The value of an option given with one; empty when the option was not given.
    std::string value(const std::string& option) const;
    const std::vector<std::string>& operands() const { return m_operands; }

    // Filled by the parser: every spelling of an option maps to its value.
    void set(const std::string& option, const std::string& value) { m_values[option] = value; }
    void addOperand(const std::string& operand) { m_operands.push_back(operand); }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_operands;
};

} // namespace cli
