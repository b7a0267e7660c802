#include "sim/SimOptions.h"

#include <cctype>

#include "sim/SimProtocol.h"

namespace vantrel::sim {

namespace {

// A whole decimal number of at most `maxDigits` digits.
bool ParseNumber(const std::string& text, int maxDigits, int& value) {
    if (text.empty() || static_cast<int>(text.size()) > maxDigits) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::string KnownNames() {
    std::string list;
    for (const std::string& name : FaultCommandNames()) {
        if (!list.empty()) list += ", ";
        list += name;
    }
    return list;
}

}  // namespace

const std::vector<std::string>& FaultCommandNames() {
    static const std::vector<std::string> names = {
        "QueryWriterLevel", "ConnectWriter",   "DownData",         "DownIC",
        "DownEE",           "DownOPT",         "DownSN",           "DownPass",
        "DownID",           "DownProCheckSum", "DownINRCSET",      "DownIOSet",
        "DownICName",       "DownLeve",        "DisConnectWriter", "EnterLdrom",
        "QueryBootLoader",  "EraseApromPage",  "ProgramApromPage", "ReadApromChecksum",
        "SystemReset"};
    return names;
}

bool ParseFault(const std::string& text, Fault& fault, std::string& error) {
    if (text == "noboot") {
        fault = Fault{Fault::NoBoot, "QueryBootLoader", 1, -1};
        return true;
    }
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        error = "fault '" + text +
                "' is not one of refuse:NAME[#K], silent:NAME[#K], badsum:PAGE, noboot";
        return false;
    }
    const std::string kind = text.substr(0, colon);
    const std::string rest = text.substr(colon + 1);

    if (kind == "badsum") {
        int page = 0;
        if (!ParseNumber(rest, 3, page) || page >= static_cast<int>(kPageCount)) {
            error = "fault '" + text + "': PAGE must be a page index from 0 to 135";
            return false;
        }
        fault = Fault{Fault::BadSum, "ReadApromChecksum", 1, page};
        return true;
    }
    if (kind == "noboot") {
        error = "fault '" + text + "': noboot takes no argument";
        return false;
    }
    if (kind != "refuse" && kind != "silent") {
        error =
            "fault '" + text + "': unknown kind '" + kind + "' (refuse, silent, badsum or noboot)";
        return false;
    }

    std::string name = rest;
    int occurrence = 1;
    const size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        name = rest.substr(0, hash);
        if (!ParseNumber(rest.substr(hash + 1), 6, occurrence) || occurrence < 1) {
            error = "fault '" + text + "': K in NAME#K must be a whole number from 1 on";
            return false;
        }
    }
    if (FindCommand(name) == nullptr) {
        error = "fault '" + text + "': unknown command name '" + name +
                "'; known names: " + KnownNames();
        return false;
    }
    if (kind == "refuse" && name == "ReadApromChecksum") {
        error = "fault '" + text +
                "': a checksum reply carries no status to refuse with; use badsum:PAGE";
        return false;
    }
    fault = Fault{kind == "refuse" ? Fault::Refuse : Fault::Silent, name, occurrence, -1};
    return true;
}

}  // namespace vantrel::sim
