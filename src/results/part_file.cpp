#include "results/part_file.hpp"

#include <cstdlib>
#include <sstream>

#include "base/allocation.hpp"
#include "base/errors.hpp"

namespace pedlik {

namespace {

constexpr const char* formatLine = "pedlik part file, format 2";

// A number as written, infinities and the impossible marker included.
bool readNumber(std::istringstream& in, double& value) {
    std::string word;
    if (!(in >> word)) return false;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return end != word.c_str() && *end == '\0';
}

bool atLineEnd(std::istringstream& in) {
    std::string rest;
    return !(in >> rest);
}

// One record line into the record; false when it is malformed.
bool readLine(const std::string& line, PartRecord& record, long& endCount) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "fingerprint") return static_cast<bool>(in >> record.fingerprint) && atLineEnd(in);
    if (kind == "part") {
        std::string of;
        return static_cast<bool>(in >> record.part >> of >> record.parts) && of == "of" && atLineEnd(in);
    }
    if (kind == "setup") return readNumber(in, record.setupSeconds) && atLineEnd(in);
    if (kind == "pedigrees") {
        int count = 0;
        if (!(in >> count) || count < 0 || count > 1000000) return false;
        record.pedigreeIds.assign(static_cast<std::size_t>(count), 0);
        for (int& id : record.pedigreeIds) {
            if (!(in >> id)) return false;
        }
        return atLineEnd(in);
    }
    if (kind == "value") {
        PartValue value;
        std::string state;
        if (!readNumber(in, value.theta) || !(in >> state) || (state != "built" && state != "zero")) return false;
        value.built = state == "built";
        if (value.built) {
            if (!readNumber(in, value.total)) return false;
            value.shares.assign(record.pedigreeIds.size(), 0.0);
            for (double& share : value.shares) {
                if (!readNumber(in, share)) return false;
            }
        }
        record.values.push_back(std::move(value));
        return atLineEnd(in);
    }
    if (kind == "group") {
        PartGroup group;
        if (!(in >> group.value >> group.pedigree) || !readNumber(in, group.beforeConditioning) || !(in >> group.branches) ||
            !readNumber(in, group.seconds)) {
            return false;
        }
        record.groups.push_back(group);
        return atLineEnd(in);
    }
    if (kind == "unit") {
        PartUnit unit;
        if (!(in >> unit.value >> unit.pedigree >> unit.branch) || !readNumber(in, unit.logLikelihood) ||
            !readNumber(in, unit.seconds)) {
            return false;
        }
        record.units.push_back(unit);
        return atLineEnd(in);
    }
    if (kind == "end") return static_cast<bool>(in >> endCount) && atLineEnd(in);
    return false;
}

}  // namespace

void writePartFile(const PartRecord& record, std::FILE* out) {
    std::fprintf(out, "%s\nfingerprint %s\npart %d of %d\nsetup %.3f\npedigrees %zu", formatLine,
                 record.fingerprint.c_str(), record.part, record.parts, record.setupSeconds, record.pedigreeIds.size());
    for (int id : record.pedigreeIds) std::fprintf(out, " %d", id);
    std::fprintf(out, "\n");
    for (const PartValue& value : record.values) {
        std::fprintf(out, "value %.17g %s", value.theta, value.built ? "built" : "zero");
        if (value.built) {
            std::fprintf(out, " %.17g", value.total);
            for (double share : value.shares) std::fprintf(out, " %.17g", share);
        }
        std::fprintf(out, "\n");
    }
    for (const PartGroup& group : record.groups) {
        std::fprintf(out, "group %d %d %.17g %d %.3f\n", group.value, group.pedigree, group.beforeConditioning,
                     group.branches, group.seconds);
    }
    for (const PartUnit& unit : record.units) {
        std::fprintf(out, "unit %d %d %d %.17g %.3f\n", unit.value, unit.pedigree, unit.branch, unit.logLikelihood,
                     unit.seconds);
    }
    std::fprintf(out, "end %zu\n", record.units.size());
}

PartReading readPartFile(const std::string& text) {
    return allocateOrDie("part file", [&] {
        PartReading reading;
        std::istringstream lines(text);
        std::string line;
        if (!std::getline(lines, line) || line != formatLine) {
            reading.problem = "is not a part file of this pedlik (its first line is not \"" + std::string(formatLine) + "\")";
            return reading;
        }
        // A part killed while writing leaves no file under the name; a file
        // cut short anyway (copied in part, a full disk) ends mid-line.
        if (text.back() != '\n') {
            reading.problem = "is incomplete: it ends in the middle of a line";
            return reading;
        }
        long endCount = -1;
        int number = 1;
        while (std::getline(lines, line)) {
            ++number;
            if (endCount >= 0 || !readLine(line, reading.record, endCount)) {
                reading.problem = formatMessage("has a malformed line %d", number);
                return reading;
            }
        }
        const PartRecord& record = reading.record;
        if (endCount < 0) {
            reading.problem = "is incomplete: it has no end line (a part that did not finish?)";
        } else if (endCount != static_cast<long>(record.units.size())) {
            reading.problem = "is incomplete: its end line does not count its units";
        } else if (record.fingerprint.empty() || record.parts < 1 || record.part < 1 || record.part > record.parts ||
                   record.values.empty()) {
            reading.problem = "lacks its fingerprint, its part number or its values";
        }
        return reading;
    });
}

std::string unitName(const PartRecord& record, int value, int pedigree, int branch, int branches) {
    const double theta = value >= 0 && value < static_cast<int>(record.values.size()) ? record.values[value].theta : 0.0;
    const int id = pedigree >= 0 && pedigree < static_cast<int>(record.pedigreeIds.size()) ? record.pedigreeIds[pedigree] : 0;
    std::string name = formatMessage("theta %f, pedigree %d", theta, id);
    if (branch >= 0) name.append(formatMessage(", branch %d of %d", branch + 1, branches));
    return name;
}

}  // namespace pedlik
