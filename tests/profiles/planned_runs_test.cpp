#include "profiles/planned_runs.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velmorane::profiles {
namespace {

using testing::ProgramRun;
using testing::runProgram;
using testing::ScopedEnvironment;
using testing::TempFolder;

const std::string kOddName = "L'été \"2026\" / 100% à $HOME";

std::string thisProgram()
{
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

std::vector<Plan> everyKind()
{
    return {{PlanKind::Daily, 1, 18, 0, {}},
            {PlanKind::Weekly, 1, 18, 0, {}},
            {PlanKind::Weekly, 7, 6, 5, {}},
            {PlanKind::VolumeAppears, 1, 0, 0, mountUnitOf("/media/ana/MA CLÉ")}};
}

bool systemdToolsPresent()
{
    return ::access("/usr/bin/systemd-analyze", X_OK) == 0;
}

// The user's units and the runtime folder of its manager are the test's own.
class PlannedRuns : public ::testing::Test {
protected:
    TempFolder home;
    ScopedEnvironment environment{{{"XDG_CONFIG_HOME", home.path("config")},
                                   {"XDG_RUNTIME_DIR", home.makeFolder("run")},
                                   {"HOME", home.root()}}};
    PlannedProfile profile{kOddName, home.makeFolder("profils dossier"), thisProgram()};
};

TEST_F(PlannedRuns, TheUnitsOfEachKindPassSystemdsChecksAndSayWhatTheyRun)
{
    if (!systemdToolsPresent()) GTEST_SKIP() << "systemd-analyze is not installed (package systemd)";
    for (const Plan& plan : everyKind()) {
        const auto units = planUnits(profile, plan);
        ASSERT_TRUE(units.ok());
        std::vector<std::string> arguments{"--user", "verify"};
        for (const auto& unit : units.value) arguments.push_back(home.makeFile("verify/" + unit.name, unit.text));
        // The mount unit that systemd makes of the key while it is mounted.
        if (plan.kind == PlanKind::VolumeAppears) {
            arguments.push_back(home.makeFile("verify/" + plan.mountUnit,
                                              "[Mount]\nWhat=/dev/disk/by-label/CLE\nWhere=/media/ana/MA CLÉ\n"));
        }
        const ProgramRun verified = runProgram("/usr/bin/systemd-analyze", arguments, home.root(),
                                               {{"XDG_RUNTIME_DIR", home.path("run")}});
        EXPECT_EQ(std::make_tuple(verified.exitCode, verified.err), std::make_tuple(0, std::string())) << planText(plan);
        std::filesystem::remove_all(home.path("verify"));
        if (plan.kind == PlanKind::VolumeAppears) {
            EXPECT_EQ(units.value.size(), 1u);
            continue;
        }
        const ProgramRun calendar =
            runProgram("/usr/bin/systemd-analyze", {"calendar", calendarExpression(plan)}, home.root());
        EXPECT_EQ(calendar.exitCode, 0) << calendar.err;
        EXPECT_NE(calendar.out.find("Normalized form: " + calendarExpression(plan)), std::string::npos) << calendar.out;
    }

    const std::string key = profileKey(kOddName, profile.folder);
    const auto weekly = planUnits(profile, everyKind()[1]);
    ASSERT_EQ(weekly.value.size(), 2u);
    EXPECT_EQ(weekly.value[0].name, "velmorane-" + key + ".service");
    EXPECT_EQ(weekly.value[0].text,
              "[Unit]\nDescription=Velmorane : profil L'été \"2026\" / 100%% à $HOME\n\n[Service]\nType=oneshot\n"
              "WorkingDirectory=" + profile.folder + "\nUnsetEnvironment=DISPLAY WAYLAND_DISPLAY\n"
              "ExecStart=\"" + profile.program + "\" \"L'été \\\"2026\\\" / 100%% à $$HOME\" X\n");
    EXPECT_EQ(weekly.value[1].name, "velmorane-" + key + ".timer");
    EXPECT_EQ(weekly.value[1].text,
              "[Unit]\nDescription=Velmorane : profil L'été \"2026\" / 100%% à $HOME\n\n[Timer]\n"
              "OnCalendar=Mon *-*-* 18:00:00\nPersistent=true\nUnit=velmorane-" + key + ".service\n\n"
              "[Install]\nWantedBy=timers.target\n");
    const auto mounted = planUnits(profile, everyKind()[3]);
    EXPECT_NE(mounted.value[0].text.find("BindsTo=media-ana-MA\\x20CL\\xc3\\x89.mount\nAfter=media-ana-MA\\x20CL\\xc3\\x89.mount\n"),
              std::string::npos);
    EXPECT_TRUE(mounted.value[0].text.ends_with("[Install]\nWantedBy=media-ana-MA\\x20CL\\xc3\\x89.mount\n"));
}

TEST_F(PlannedRuns, NamesStayWithinSystemdsLimitAndApartForEveryProfileFile)
{
    const std::string key = profileKey(kOddName, profile.folder);
    EXPECT_TRUE(key.starts_with("L\\x27\\xc3\\xa9t\\xc3\\xa9\\x20\\x222026\\x22\\x20-\\x20100\\x25\\x20\\xc3\\xa0\\x20\\x24HOME-"))
        << key;
    EXPECT_NE(profileKey(kOddName, "/ailleurs"), key) << "a profile file moved or another one";
    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "é";
    const std::string first = serviceName(profileKey(longName + "a", "/p"));
    const std::string second = serviceName(profileKey(longName + "b", "/p"));
    EXPECT_LE(first.size(), platform::kUnitNameLimit);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find("\\xc"), first.find("\\x")) << "never cut inside an escape";

    PlannedProfile broken = profile;
    broken.folder += "\nExecStart=/bin/rm";
    EXPECT_EQ(planUnits(broken, everyKind()[0]).error->number, EINVAL);
}

TEST_F(PlannedRuns, TextsOfThePlansAndTheCrontabLine)
{
    const auto plans = everyKind();
    EXPECT_EQ(planText({}), "Non planifié");
    EXPECT_EQ(planText(plans[0]), "Planifié : chaque jour à 18:00");
    EXPECT_EQ(planText(plans[1]), "Planifié : chaque lundi à 18:00");
    EXPECT_EQ(planText(plans[2]), "Planifié : chaque dimanche à 06:05");
    EXPECT_EQ(planText(plans[3]), "Planifié : au branchement du volume");
    const PlannedProfile plain{"Clé 100%", "/home/ana/l'atelier", "/usr/bin/velmorane"};
    EXPECT_EQ(crontabLine(plain, plans[0]),
              "0 18 * * * cd '/home/ana/l'\\''atelier' && '/usr/bin/velmorane' 'Clé 100\\%' X");
    EXPECT_EQ(crontabLine(plain, plans[2]),
              "5 6 * * 0 cd '/home/ana/l'\\''atelier' && '/usr/bin/velmorane' 'Clé 100\\%' X");
}

TEST_F(PlannedRuns, ThePlanIsReadBackFromTheUnitsAndNeedsAUserManagerToBeApplied)
{
    EXPECT_EQ(planText(readPlan(kOddName, profile.folder)), "Non planifié");
    for (const Plan& plan : everyKind()) {
        std::filesystem::remove_all(home.path("config"));
        for (const auto& unit : planUnits(profile, plan).value) home.makeFile("config/systemd/user/" + unit.name, unit.text);
        EXPECT_EQ(planText(readPlan(kOddName, profile.folder)), planText(plan));
        EXPECT_EQ(planText(readPlan(kOddName, "/ailleurs")), "Non planifié");
    }
    EXPECT_EQ(readPlan(kOddName, profile.folder).mountUnit, "media-ana-MA\\x20CL\\xc3\\x89.mount");

    std::filesystem::remove_all(home.path("config"));
    EXPECT_EQ(applyPlan(profile, everyKind()[0])->number, ENOTCONN);
    EXPECT_FALSE(std::filesystem::exists(home.path("config/systemd/user")));
}

// A user manager of the test's own, on its own runtime folder; none when it cannot start here.
class UserManager {
public:
    UserManager(const std::string& runtime)
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::execl("/usr/lib/systemd/systemd", "systemd", "--user", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const std::string socket = runtime + "/systemd/private";
        for (int tries = 0; tries < 50 && !std::filesystem::exists(socket); ++tries) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                why_ = "systemd --user ended at once with status " + std::to_string(WEXITSTATUS(status));
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!std::filesystem::exists(socket)) why_ = "systemd --user opened no socket in 5 s";
    }
    ~UserManager()
    {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    UserManager(const UserManager&) = delete;
    UserManager& operator=(const UserManager&) = delete;

    const std::string& whyNot() const { return why_; }

private:
    pid_t pid_ = -1;
    std::string why_;
};

TEST_F(PlannedRuns, APlanIsEnabledAndRemovedAgainstAUserManager)
{
    if (::access("/usr/lib/systemd/systemd", X_OK) != 0) GTEST_SKIP() << "systemd is not installed";
    // systemd --user refuses to start on a system that systemd did not boot, as in most containers.
    if (!std::filesystem::exists("/run/systemd/system")) {
        GTEST_SKIP() << "no user manager can run here: the system was not booted with systemd (/run/systemd/system "
                        "is missing)";
    }
    const UserManager manager(home.path("run"));
    if (!manager.whyNot().empty()) GTEST_SKIP() << manager.whyNot();
    const std::string key = profileKey(kOddName, profile.folder);
    const auto enabled = [&](const std::string& unit) {
        return runProgram("/usr/bin/systemctl", {"--user", "is-enabled", unit}, home.root(),
                          {{"XDG_RUNTIME_DIR", home.path("run")}})
            .out;
    };
    EXPECT_EQ(applyPlan(profile, everyKind()[1]), std::nullopt);
    EXPECT_EQ(enabled(timerName(key)), "enabled\n");
    EXPECT_EQ(applyPlan(profile, everyKind()[3]), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(home.path("config/systemd/user/" + timerName(key))));
    EXPECT_EQ(enabled(serviceName(key)), "enabled\n");
    EXPECT_EQ(removePlan(kOddName, profile.folder), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(home.path("config/systemd/user/" + serviceName(key))));
    EXPECT_EQ(planText(readPlan(kOddName, profile.folder)), "Non planifié");
}

}  // namespace
}  // namespace velmorane::profiles
