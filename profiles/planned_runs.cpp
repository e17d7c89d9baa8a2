#include "profiles/planned_runs.h"

#include "platform/paths.h"
#include "platform/volumes.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace velmorane::profiles {
namespace {

constexpr std::string_view kUnitPrefix = "velmorane-";
constexpr std::string_view kServiceSuffix = ".service";
constexpr std::size_t kHashWidth = 8;
constexpr std::array<const char*, 7> kCalendarDays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<const char*, 7> kFrenchDays{"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};

// FNV-1a: the same folder gives the same name on every machine and with every build.
std::string shortHash(std::string_view text)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    char digits[kHashWidth + 1];
    std::snprintf(digits, sizeof digits, "%08x", hash);
    return digits;
}

// An escaped name cut where it is too long for systemd, never inside a "\xNN", and told apart
// from the other names cut the same way by a hash of the whole.
std::string nameWithinLimit(const std::string& escaped, std::size_t room)
{
    if (escaped.size() <= room) return escaped;
    std::size_t cut = room - kHashWidth - 1;
    const std::size_t escape = escaped.rfind('\\', cut);
    if (escape != std::string::npos && escape + 4 > cut) cut = escape;
    return escaped.substr(0, cut) + "_" + shortHash(escaped);
}

std::string twoDigits(int number)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

std::string clockText(const Plan& plan)
{
    return twoDigits(plan.hour) + ":" + twoDigits(plan.minute);
}

std::string withoutSpecifiers(const std::string& text)
{
    std::string escaped;
    for (const char c : text) escaped += c == '%' ? std::string("%%") : std::string(1, c);
    return escaped;
}

// One word of a unit's command line, quoted: no specifier, variable or quote of it is read as such.
std::string unitWord(const std::string& text)
{
    std::string word = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') word += '\\';
        if (c == '%' || c == '$') word += c;
        word += c;
    }
    return word + "\"";
}

// One word for the shell that cron starts, "%" escaped as cron wants.
std::string cronWord(const std::string& text)
{
    std::string word = "'";
    for (const char c : text) {
        if (c == '\'') word += "'\\''";
        else if (c == '%') word += "\\%";
        else word += c;
    }
    return word + "'";
}

bool holdsControlCharacters(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    }
    return false;
}

std::string serviceText(const PlannedProfile& profile, const Plan& plan)
{
    const bool onMount = plan.kind == PlanKind::VolumeAppears;
    std::string text = "[Unit]\nDescription=" + withoutSpecifiers("Velmorane : profil " + profile.name) + "\n";
    // Bound to the mount: the key's mount going away stops the run between two files, as interrupted.
    if (onMount) text += "BindsTo=" + plan.mountUnit + "\nAfter=" + plan.mountUnit + "\n";
    // Without a display the run asks nobody: a refused or failed run is told by its notice.
    text += "\n[Service]\nType=oneshot\nWorkingDirectory=" + withoutSpecifiers(profile.folder) +
            "\nUnsetEnvironment=DISPLAY WAYLAND_DISPLAY\nExecStart=" + unitWord(profile.program) + " " +
            unitWord(profile.name) + " X\n";
    if (onMount) text += "\n[Install]\nWantedBy=" + plan.mountUnit + "\n";
    return text;
}

std::string timerText(const PlannedProfile& profile, const Plan& plan, const std::string& service)
{
    // Persistent: a run missed while the computer was off happens when it starts again.
    return "[Unit]\nDescription=" + withoutSpecifiers("Velmorane : profil " + profile.name) +
           "\n\n[Timer]\nOnCalendar=" + calendarExpression(plan) + "\nPersistent=true\nUnit=" + service +
           "\n\n[Install]\nWantedBy=timers.target\n";
}

std::string valueOf(const std::string& unitText, const std::string& key)
{
    std::istringstream lines(unitText);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return {};
}

Plan planOfCalendar(const std::string& expression)
{
    Plan plan;
    std::string clock = expression;
    plan.kind = PlanKind::Daily;
    for (std::size_t day = 0; day < kCalendarDays.size(); ++day) {
        if (!expression.starts_with(std::string(kCalendarDays[day]) + " ")) continue;
        plan.kind = PlanKind::Weekly;
        plan.weekday = static_cast<int>(day) + 1;
        clock = expression.substr(4);
    }
    if (std::sscanf(clock.c_str(), "*-*-* %d:%d", &plan.hour, &plan.minute) != 2) return {};
    return plan;
}

}  // namespace

std::string profileFileFolder(const std::string& profileFilePath)
{
    const std::string path = profileFilePath.starts_with(platform::kSeparator)
                                 ? profileFilePath
                                 : platform::joinPath(platform::currentDirectory(), profileFilePath);
    return platform::parentFolder(path);
}

std::string profileVolume(const std::string& work, const std::string& archive, const std::string& profileFolder)
{
    const std::string own = platform::topFolderOf(profileFolder);
    for (const std::string* folder : {&archive, &work}) {
        const std::string top = platform::topFolderOf(*folder);
        if (top != std::string(1, platform::kSeparator) && top != own) return top;
    }
    return {};
}

std::string profileKey(const std::string& profileName, const std::string& profileFolder)
{
    const std::size_t room = platform::kUnitNameLimit - kUnitPrefix.size() - kServiceSuffix.size() - 1 - kHashWidth;
    return nameWithinLimit(platform::escapedUnitText(profileName), room) + "-" + shortHash(profileFolder);
}

std::string serviceName(const std::string& key)
{
    return std::string(kUnitPrefix) + key + std::string(kServiceSuffix);
}

std::string timerName(const std::string& key)
{
    return std::string(kUnitPrefix) + key + ".timer";
}

std::string mountUnitOf(const std::string& mountPoint)
{
    return platform::escapedUnitPath(mountPoint) + ".mount";
}

std::string calendarExpression(const Plan& plan)
{
    const std::string clock = "*-*-* " + clockText(plan) + ":00";
    if (plan.kind == PlanKind::Weekly) return std::string(kCalendarDays[static_cast<std::size_t>(plan.weekday - 1)]) + " " + clock;
    return clock;
}

platform::Result<std::vector<platform::UnitFile>> planUnits(const PlannedProfile& profile, const Plan& plan)
{
    using Units = platform::Result<std::vector<platform::UnitFile>>;
    // A line break in a name or a folder would add lines of its own to the unit.
    if (holdsControlCharacters(profile.name) || holdsControlCharacters(profile.folder) ||
        holdsControlCharacters(profile.program)) {
        return Units::failure(platform::systemError(EINVAL));
    }
    const std::string key = profileKey(profile.name, profile.folder);
    std::vector<platform::UnitFile> units{{serviceName(key), serviceText(profile, plan)}};
    if (plan.kind == PlanKind::Daily || plan.kind == PlanKind::Weekly) {
        units.push_back({timerName(key), timerText(profile, plan, serviceName(key))});
    }
    return {std::move(units), std::nullopt};
}

std::string crontabLine(const PlannedProfile& profile, const Plan& plan)
{
    const std::string day = plan.kind == PlanKind::Weekly ? std::to_string(plan.weekday % 7) : "*";
    return std::to_string(plan.minute) + " " + std::to_string(plan.hour) + " * * " + day + " cd " +
           cronWord(profile.folder) + " && " + cronWord(profile.program) + " " + cronWord(profile.name) + " X";
}

std::string planText(const Plan& plan)
{
    switch (plan.kind) {
    case PlanKind::Daily:
        return "Planifié : chaque jour à " + clockText(plan);
    case PlanKind::Weekly:
        return "Planifié : chaque " + std::string(kFrenchDays[static_cast<std::size_t>(plan.weekday - 1)]) + " à " +
               clockText(plan);
    case PlanKind::VolumeAppears:
        return "Planifié : au branchement du volume";
    case PlanKind::None:
        break;
    }
    return "Non planifié";
}

Plan readPlan(const std::string& profileName, const std::string& profileFolder)
{
    const std::string key = profileKey(profileName, profileFolder);
    if (const auto timer = platform::readUserUnit(timerName(key))) return planOfCalendar(valueOf(*timer, "OnCalendar"));
    const auto service = platform::readUserUnit(serviceName(key));
    if (!service) return {};
    const std::string mount = valueOf(*service, "WantedBy");
    if (!mount.ends_with(".mount")) return {};
    return {PlanKind::VolumeAppears, 1, 0, 0, mount};
}

platform::MaybeError applyPlan(const PlannedProfile& profile, const Plan& plan)
{
    if (auto error = removePlan(profile.name, profile.folder)) return error;
    if (plan.kind == PlanKind::None) return std::nullopt;
    auto units = planUnits(profile, plan);
    if (!units.ok()) return units.error;
    const bool timed = plan.kind != PlanKind::VolumeAppears;
    return platform::installUserUnits(units.value, units.value.back().name, timed);
}

platform::MaybeError removePlan(const std::string& profileName, const std::string& profileFolder)
{
    const std::string key = profileKey(profileName, profileFolder);
    return platform::removeUserUnits({timerName(key), serviceName(key)});
}

}  // namespace velmorane::profiles
