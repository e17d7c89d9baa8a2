#include "profiles/task_listing.h"

#include "engine/run.h"
#include "engine/validation.h"
#include "execution/review_headings.h"
#include "platform/headless_dialogs.h"
#include "platform/progress.h"
#include "profiles/command_line.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"

namespace velmorane::profiles {
namespace {

constexpr int kNotListed = 2;

// A control character of a name is written as "\#" and three octal digits, so that one entry
// stays one line.
std::string escapedControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        out += "\\#";
        for (const int shift : {6, 3, 0}) out += static_cast<char>('0' + ((byte >> shift) & 7));
    }
    return out;
}

void printList(std::ostream& out, const std::string& heading, const std::vector<engine::TaskEntry>& entries)
{
    out << heading << '\n';
    for (const auto& entry : entries) out << escapedControls(entry.text) << '\n';
}

std::string withLineFeeds(std::string text)
{
    std::erase(text, '\r');
    return text;
}

}  // namespace

int printTaskLists(const std::string& profileName, std::ostream& out, std::ostream& err)
{
    platform::HeadlessDialogs dialogs(err);
    const ProfileTable table = lireProfils(kProfileFileName, dialogs);
    const int number = findProfile(table, profileName);
    if (number == 0) {
        err << "Profil introuvable : " << profileName << '\n';
        return kNotListed;
    }
    const engine::RunSettings settings = table.at(number).settings();
    std::string txtMess;
    if (!engine::TesteOK(settings, txtMess, dialogs)) return kNotListed;
    auto exclusions = loadExclusions(kFilterFileName, table.at(number).name(), dialogs);
    if (!exclusions) return kNotListed;

    engine::RunPlan plan = engine::planRun(settings);
    plan.exclusions = std::move(*exclusions);
    platform::NullProgress progress;
    platform::NullEventPump pump;
    const auto result = engine::compareFolders(plan, dialogs, progress, pump);
    if (result.outcome != engine::RunOutcome::Completed) return kNotListed;
    printList(out, execution::ajoutHeading(result.lists.fichAjout.size()), result.lists.fichAjout);
    printList(out, execution::modifHeading(result.lists.fichModif.size()), result.lists.fichModif);
    printList(out, execution::supprHeading(result.lists.fichSuppr.size()), result.lists.fichSuppr);
    return 0;
}

std::string usageText()
{
    return withLineFeeds(helpText()) +
           "\n\tVelmorane --liste Profil => affiche les listes de tâches du profil indiqué sans rien modifier"
           "\n\tVelmorane --help => affiche cette aide (-h de même)"
           "\n\tVelmorane --version => affiche le numéro de version (-V de même)\n"
           "Un nom de profil qui contient des espaces s'écrit entre guillemets : velmorane \"Clé USB\" X\n"
           "Sécurité : un dossier source vide est refusé comme un dossier absent quand la destination contient "
           "quelque chose ;\n"
           "\tun dossier utilisé par une autre exécution (verrou) arrête la nouvelle exécution, code de sortie 2\n"
           "Filtres : ArchFiltres.vlr, à côté de ArchProfils.vlr, un motif par ligne (*, ?, [...]), sans "
           "distinction de casse\n"
           "\tles lignes avant la première section valent pour tous les profils, [Profil] ouvre celle d'un profil\n"
           "\tun motif avec / vise le chemin sous le dossier de départ, sinon le nom ; un / final, les dossiers seuls\n"
           "\tles lignes vides et celles qui commencent par # sont ignorées ; exemple :\n"
           "\t\t*.tmp\n\t\tnode_modules/\n\t\t[Documents]\n\t\tPhotos/Brouillons\n"
           "\tà la racine des dossiers, lost+found, .Trash, .Trash-1000 (tout numéro), System Volume Information "
           "et $RECYCLE.BIN sont toujours ignorés\n";
}

}  // namespace velmorane::profiles
