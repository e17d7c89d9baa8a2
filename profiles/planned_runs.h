#pragma once

#include "platform/system_error.h"
#include "platform/systemd_units.h"

#include <string>
#include <vector>

namespace velmorane::profiles {

// When a profile runs by itself: never, every day, every week, or when its volume is mounted.
enum class PlanKind { None, Daily, Weekly, VolumeAppears };

struct Plan {
    PlanKind kind = PlanKind::None;
    int weekday = 1;  // 1 Monday ... 7 Sunday
    int hour = 18;
    int minute = 0;
    std::string mountUnit;  // the volume's mount unit, for VolumeAppears: "media-ana-CLE.mount"
};

// The mount unit systemd gives the volume mounted at that folder.
std::string mountUnitOf(const std::string& mountPoint);

// What a plan needs to know of its profile: its name, the folder of its profile file (the run's
// working folder) and the program that runs it.
struct PlannedProfile {
    std::string name;
    std::string folder;
    std::string program;
};

// The folder of the profile file, the working folder of its planned runs.
std::string profileFileFolder(const std::string& profileFilePath);
// The folder where the volume of a profile is mounted: that of its archive, else of its work
// folder, when it is not the volume of the profile file itself; empty when there is none.
std::string profileVolume(const std::string& work, const std::string& archive, const std::string& profileFolder);

// The name shared by a profile's units and reports: the profile's name escaped for systemd and a
// short hash of its folder, so that two profile files never share one.
std::string profileKey(const std::string& profileName, const std::string& profileFolder);
std::string serviceName(const std::string& profileKey);
std::string timerName(const std::string& profileKey);

// The timer's OnCalendar= expression: "*-*-* 18:00:00", "Mon *-*-* 18:00:00".
std::string calendarExpression(const Plan& plan);
// The units of a plan other than None: the service, and the timer of a daily or weekly plan.
[[nodiscard]] platform::Result<std::vector<platform::UnitFile>> planUnits(const PlannedProfile& profile, const Plan& plan);
// The line for `crontab -e` of a daily or weekly plan, "%" escaped.
std::string crontabLine(const PlannedProfile& profile, const Plan& plan);
// What the profile editor shows: "Planifié : chaque jour à 18:00", "Non planifié"...
std::string planText(const Plan& plan);

// The plan of a profile as its units on disk say.
Plan readPlan(const std::string& profileName, const std::string& profileFolder);
// Replaces the profile's units with those of the plan and enables them; None removes them.
[[nodiscard]] platform::MaybeError applyPlan(const PlannedProfile& profile, const Plan& plan);
// A profile deleted loses its plan.
[[nodiscard]] platform::MaybeError removePlan(const std::string& profileName, const std::string& profileFolder);

}  // namespace velmorane::profiles
