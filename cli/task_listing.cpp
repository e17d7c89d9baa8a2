#include "cli/task_listing.h"

#include "cli/error_stream.h"
#include "execution/review_headings.h"
#include "execution/run_driver.h"
#include "profiles/command_line.h"
#include "profiles/profile_run.h"
#include "profiles/profile_texts.h"

namespace velmorane::cli {
namespace {

constexpr int kNotListed = execution::kExitNothingExecuted;

// Standard error says why the lists could not be made.
class RefusalPrinter : public execution::RunObserver {
public:
    explicit RefusalPrinter(std::ostream& err) : err_(err) {}
    void refused(const execution::Refusal& refusal) override { printOutcome(err_, execution::refusalText(refusal)); }

private:
    std::ostream& err_;
};

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

void printList(std::ostream& out, const engine::TaskList& list)
{
    out << execution::listHeading(list.kind(), list.count()) << '\n';
    for (std::size_t i = 0; i < list.count(); ++i) out << escapedControls(list.text(i)) << '\n';
}

}  // namespace

int printTaskLists(const std::string& profileName, std::ostream& out, std::ostream& err)
{
    auto found = profiles::profileRun(profileName);
    if (found.problem) printOutcome(err, profiles::profileFileText(*found.problem));
    if (!found.run) {
        err << profiles::profileNotFound(profileName) << '\n';
        return kNotListed;
    }
    RefusalPrinter observer(err);
    if (execution::RunDriver(found.run->run, observer).compare()) return kNotListed;
    for (const engine::ListKind kind : engine::kListKinds) printList(out, found.run->run.lists()[kind]);
    return 0;
}

std::string usageText()
{
    return profiles::helpText() +
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

}  // namespace velmorane::cli
