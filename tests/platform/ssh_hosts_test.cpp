#include "platform/ssh_hosts.h"

#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::platform {
namespace {

using Hosts = std::vector<std::string>;

TEST(SshHosts, TheConfigurationsHostsComeInItsOrderThenTheKnownHostsAndNoPatternOrHashedName)
{
    testing::TempFolder home;
    home.makeFile(".ssh/config",
                  "# mes serveurs\n"
                  "Host nas nas-*\n"
                  "    HostName 192.168.1.20\n"
                  "    User moi\n"
                  "host=maison\n"
                  "  Host \"bureau distant\" !interdit serveur?\n"
                  "Match host travail\n"
                  "Host *\n"
                  "    ServerAliveInterval 30\n"
                  "HostName pas-un-hote\n"
                  "Host nas\n");
    home.makeFile(".ssh/known_hosts",
                  "maison ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIE\n"
                  "serveur.example,192.0.2.7 ecdsa-sha2-nistp256 AAAAE2VjZHNh\n"
                  "[serveur.example]:2222 ssh-ed25519 AAAAC3Nza\n"
                  "[::1]:2200 ssh-ed25519 AAAAC3Nza\n"
                  "fe80::1 ssh-ed25519 AAAAC3Nza\n"
                  "|1|JfKTdBh7rNbXkVAQCRp4OQoPfmI=|USECr3SWf1JUPsms5AqfD5QfxkM= ssh-ed25519 AAAAC3Nza\n"
                  "@cert-authority *.example ssh-ed25519 AAAAC3Nza\n"
                  "@revoked ancien ssh-rsa AAAAB3Nza\n"
                  "*.lan,!routeur.lan ssh-ed25519 AAAAC3Nza\n"
                  "# commentaire\n"
                  "\n");
    EXPECT_EQ(sshHosts(home.root()), (Hosts{"nas", "maison", "bureau distant", "192.0.2.7", "[::1]:2200", "[fe80::1]",
                                            "serveur.example", "serveur.example:2222"}));

    // Without either file, no host; with one, its hosts alone.
    testing::TempFolder empty;
    EXPECT_EQ(sshHosts(empty.root()), Hosts{});
    empty.makeFile(".ssh/known_hosts", "serveur ssh-ed25519 AAAA\n");
    EXPECT_EQ(sshHosts(empty.root()), Hosts{"serveur"});
}

}  // namespace
}  // namespace velmorane::platform
