#include "cli/unattended_outcome.h"

#include "execution/journal.h"
#include "execution/run_report.h"
#include "platform/date_text.h"
#include "platform/desktop_notice.h"
#include "platform/paths.h"
#include "profiles/planned_runs.h"

namespace velmorane::cli {

void tellUnattendedOutcome(const std::string& profileName, const std::string& outcome,
                           const std::vector<execution::EntryFailure>& failures, std::ostream& err)
{
    const std::string key = profiles::profileKey(profileName, platform::currentDirectory());
    const auto report =
        execution::writeRunReport(key, "Profil " + profileName, outcome, failures, platform::currentTime());
    // A good run stays silent: cron mails whatever a job writes.
    if (outcome == execution::kGoodOutcome) return;
    std::string body = outcome;
    if (report.ok()) {
        err << "Rapport : " << report.value << '\n';
        body += "\n" + report.value;
    } else {
        err << "Rapport impossible à écrire : " << report.error->reason << '\n';
    }
    // No session bus (cron) or no daemon: the journal and the report still say it.
    (void)platform::sendDesktopNotice("Velmorane : profil " + profileName, body);
}

}  // namespace velmorane::cli
