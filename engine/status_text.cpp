#include "engine/status_text.h"

namespace velmorane::engine {
namespace {

constexpr const char* kLineBreak = "\n";

std::string folderLines(const std::string& heading, const std::string& path)
{
    if (path.empty()) return heading + " Inconnu";
    return heading + " :" + kLineBreak + path;
}

std::string directionLines(Direction direction)
{
    switch (direction) {
    case Direction::WorkToArchive: return std::string("Sens de Transfert :") + kLineBreak + "Source = Travail" + kLineBreak +
                   "Destination = Archive";
    case Direction::ArchiveToWork: return std::string("Sens de Transfert :") + kLineBreak + "Source = Archive" + kLineBreak +
                   "Destination = Travail";
    case Direction::Unset: break;
    }
    return "Sens de Transfert Inconnu";
}

std::string actionDescription(Action action)
{
    switch (action) {
    case Action::Compare: return "Comparer tous les Dossiers et les Fichiers de la Source à ceux de la Destination.";
    case Action::Update:
        return std::string("Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.") +
               kLineBreak + "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source." +
               kLineBreak + "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source." +
               kLineBreak + "Individualiser la mise à jour en intervenant sur chaque Fichier.";
    case Action::AddOnly: return "Ajouter tous les Dossiers et Fichiers de la Source à ceux de la Destination.";
    case Action::DeleteOnly: return "Supprimer tous les Dossiers et les Fichiers de la Destination absents dans la Source.";
    case Action::ReplaceOnly: return "Remplacer tous les Fichiers de la Destination différents de ceux de la Source.";
    case Action::Unset: break;
    }
    return "Inconnu";
}

}  // namespace

std::string statusText(const RunSettings& settings)
{
    std::string text = folderLines("Dossier de Travail", settings.source);
    text += std::string(kLineBreak) + kLineBreak;
    text += folderLines("Dossier d'Archive", settings.archive);
    text += std::string(kLineBreak) + kLineBreak;
    text += directionLines(settings.direction);
    text += std::string(kLineBreak) + kLineBreak + "Type d'Action ";
    if (settings.action != Action::Unset) text += std::string(":") + kLineBreak;
    text += actionDescription(settings.action);
    return text;
}

}  // namespace velmorane::engine
