#include "engine/status_text.h"

namespace velmorane::engine {
namespace {

constexpr const char* kLineBreak = "\n";

std::string folderLines(const std::string& heading, const std::string& path)
{
    if (path.empty()) return heading + " Inconnu";
    return heading + " :" + kLineBreak + path;
}

std::string directionLines(std::int16_t sensTransfert)
{
    switch (sensTransfert) {
    case 0: return std::string("Sens de Transfert :") + kLineBreak + "Source = Travail" + kLineBreak +
                   "Destination = Archive";
    case 1: return std::string("Sens de Transfert :") + kLineBreak + "Source = Archive" + kLineBreak +
                   "Destination = Travail";
    default: return "Sens de Transfert Inconnu";
    }
}

std::string actionDescription(std::int16_t typeAction)
{
    switch (typeAction) {
    case 0: return "Comparer tous les Dossiers et les Fichiers de la Source à ceux de la Destination.";
    case 1:
        return std::string("Ajouter tous les Dossiers et les Fichiers de la Source à ceux de la Destination.") +
               kLineBreak + "Remplacer les Fichiers de la Destination différents de leur homonyme de la Source." +
               kLineBreak + "Supprimer les Dossiers et les Fichiers de la Destination absents dans la Source." +
               kLineBreak + "Individualiser la mise à jour en intervenant sur chaque Fichier.";
    case 2: return "Ajouter tous les Dossiers et Fichiers de la Source à ceux de la Destination.";
    case 3: return "Supprimer tous les Dossiers et les Fichiers de la Destination absents dans la Source.";
    case 4: return "Remplacer tous les Fichiers de la Destination différents de ceux de la Source.";
    default: return "Inconnu";
    }
}

}  // namespace

std::string affMess(const RunSettings& settings)
{
    std::string text = folderLines("Dossier de Travail", settings.source);
    text += std::string(kLineBreak) + kLineBreak;
    text += folderLines("Dossier d'Archive", settings.but);
    text += std::string(kLineBreak) + kLineBreak;
    text += directionLines(settings.sensTransfert);
    text += std::string(kLineBreak) + kLineBreak + "Type d'Action ";
    if (settings.typeAction > -1) text += std::string(":") + kLineBreak;
    text += actionDescription(settings.typeAction);
    return text;
}

}  // namespace velmorane::engine
