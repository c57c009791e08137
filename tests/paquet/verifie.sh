#!/usr/bin/env bash
# Checks Corvelle's Debian package: its fields and dependencies, the files it
# holds (unpacked into a temporary folder), then, as root on a machine where
# corvelle is not installed already, a real installation with apt-get: the
# installed program is tested as an installed program, and the package is
# removed again whatever the outcome.
#   tests/paquet/verifie.sh [corvelle_*.deb]    (without one: scripts/paquet.sh builds it)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ $# -ge 1 ]; then
  paquet=$(realpath "$1")
else
  paquet=$("$root/scripts/paquet.sh" | tail -n 1)
fi
echo "verifie: $paquet"
travail=$(mktemp -d)
installe=0
nettoie() {
  if [ "$installe" = 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvelle-sendmail corvelle >/dev/null 2>&1 || true
  fi
  rm -rf "$travail"
}
trap nettoie EXIT
echecs=0
echoue() { echo "FAIL: $*" >&2; echecs=$((echecs + 1)); }

# Fields: name, the project's version, this machine's architecture, and the
# libraries the program and its module link.
version=$(sed -n 's/^project(Corvelle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ "$(dpkg-deb -f "$paquet" Package)" = corvelle ] || echoue "package name"
[ "$(dpkg-deb -f "$paquet" Version)" = "$version" ] || echoue "version is not $version"
[ "$(dpkg-deb -f "$paquet" Architecture)" = "$(dpkg --print-architecture)" ] || echoue "architecture"
depends=$(dpkg-deb -f "$paquet" Depends)
for dependance in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 \
                  libgmime-3.0-0 libglib2.0-0 libldap-2.5-0 qt6-qpa-plugins qt6-translations-l10n; do
  tr ',' '\n' <<<"$depends" | sed 's/ *(.*//; s/^ *//' | grep -qxF "$dependance" ||
    echoue "Depends lacks $dependance: $depends"
done
recommends=$(dpkg-deb -f "$paquet" Recommends)
tr ',' '\n' <<<"$recommends" | sed 's/ *(.*//; s/^ *//' | grep -qxF qt6-wayland ||
  echoue "Recommends lacks qt6-wayland: $recommends"

# Files, unpacked as they would be installed, then checked by the layout and
# manual tests of the installation test.
dpkg -x "$paquet" "$travail/arbre"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for fichier in usr/bin/corvelle "usr/lib/$multiarch/corvelle/corvelle-ui.so" \
               usr/share/corvelle/English.lng usr/share/applications/corvelle.desktop \
               usr/share/icons/hicolor/48x48/apps/corvelle.png \
               usr/share/icons/hicolor/scalable/apps/corvelle.svg \
               usr/share/man/man1/corvelle.1.gz usr/share/doc/corvelle/README.md \
               usr/share/doc/corvelle/copyright usr/share/bash-completion/completions/corvelle; do
  [ -f "$travail/arbre/$fichier" ] || echoue "$fichier missing from the package"
done
# The outbox's runners, every minute: system units for the machine's spool,
# user units for personal outboxes; no file shipped enables either (the
# maintainer scripts enable the system timer, each user their own).
for genre in system user; do
  for unite in corvelle-outbox.service corvelle-outbox.timer; do
    fichier="$travail/arbre/usr/lib/systemd/$genre/$unite"
    if [ ! -f "$fichier" ]; then
      echoue "usr/lib/systemd/$genre/$unite missing from the package"
    elif [ "$(stat -c %a "$fichier")" != 644 ]; then
      echoue "usr/lib/systemd/$genre/$unite is not rw-r--r--"
    fi
  done
  grep -qx 'ExecStart=/usr/bin/corvelle --outbox run' \
    "$travail/arbre/usr/lib/systemd/$genre/corvelle-outbox.service" ||
    echoue "the $genre service does not run the outbox"
  grep -qx 'OnCalendar=minutely' "$travail/arbre/usr/lib/systemd/$genre/corvelle-outbox.timer" ||
    echoue "the $genre timer does not start it every minute"
done
[ -z "$(find "$travail/arbre" -name '*.wants')" ] || echoue "a unit is enabled by a file of the package"
dpkg-deb -e "$paquet" "$travail/controle"
for script in postinst prerm postrm; do
  if [ ! -x "$travail/controle/$script" ]; then
    echoue "no executable $script in the package"
  else
    sh -n "$travail/controle/$script" || echoue "$script does not parse"
  fi
done
if file "$travail/arbre/usr/bin/corvelle" | grep -q "not stripped"; then
  echoue "the program is not stripped"
fi
# The system mailer package: links only, to this very version of the program,
# and in place of any other mail transport agent.
mailer="$(dirname "$paquet")/corvelle-sendmail_$(dpkg-deb -f "$paquet" Version)_$(dpkg-deb -f "$paquet" Architecture).deb"
if [ ! -f "$mailer" ]; then
  echoue "no corvelle-sendmail package beside $paquet"
else
  [ "$(dpkg-deb -f "$mailer" Provides)" = mail-transport-agent ] || echoue "corvelle-sendmail Provides"
  [ "$(dpkg-deb -f "$mailer" Conflicts)" = mail-transport-agent ] || echoue "corvelle-sendmail Conflicts"
  [ "$(dpkg-deb -f "$mailer" Depends)" = "corvelle (= $version)" ] || echoue "corvelle-sendmail Depends"
  dpkg -x "$mailer" "$travail/mailer"
  for lien in usr/sbin/sendmail usr/bin/mailq usr/lib/sendmail; do
    [ -L "$travail/mailer/$lien" ] || echoue "$lien is not a link in corvelle-sendmail"
  done
  [ "$(cd "$travail/mailer/usr/sbin" && readlink sendmail)" = ../bin/corvelle ] ||
    echoue "sendmail does not point at corvelle"
fi

cd "$root/tests/acceptance"
export PYTHONDONTWRITEBYTECODE=1 CORVELLE_VERSION="$version"
CORVELLE_PREFIXE="$travail/arbre/usr" python3 -m unittest test_installation.Disposition \
  test_installation.Manuel || echoue "unpacked tree"

# A real installation, on a machine where that is harmless.
if [ "$(id -u)" -ne 0 ]; then
  echo "verifie: not root, the package is not installed"
elif dpkg-query -W -f='${Status}' corvelle 2>/dev/null | grep -q 'install ok installed'; then
  echo "verifie: corvelle is installed already, left as it is"
else
  installe=1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$paquet" \
    >/dev/null || echoue "apt-get install"
  # Slim images tell dpkg to leave manual pages out.
  if ! grep -rqs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
    [ "$(man -w corvelle 2>/dev/null)" = /usr/share/man/man1/corvelle.1.gz ] || echoue "man corvelle"
  fi
  [ "$(command -v corvelle)" = /usr/bin/corvelle ] || echoue "corvelle not on the PATH"
  CORVELLE_PREFIXE=/usr python3 -m unittest test_installation.Installe \
    test_installation.Portable || echoue "installed program"
  # The spool, a mail drop: any user may leave a message, only root reads
  # them; what root sets aside is root's alone. Its runner is enabled.
  for dossier in /var/spool/corvelle:1733 /var/spool/corvelle/failed:700 \
                 /var/spool/corvelle/damaged:700; do
    [ "$(stat -c '%a %U %G' "${dossier%:*}" 2>/dev/null)" = "${dossier#*:} root root" ] ||
      echoue "${dossier%:*} is not ${dossier#*:} root root: $(stat -c '%a %U %G' "${dossier%:*}" 2>&1)"
  done
  # A user's link in place of a missing folder of root's is set aside on the
  # next configure, not followed.
  cible=$(mktemp -d)
  chown nobody "$cible"
  chmod 755 "$cible"
  rmdir /var/spool/corvelle/damaged
  ln -s "$cible" /var/spool/corvelle/damaged
  chown -h nobody /var/spool/corvelle/damaged
  DPKG_MAINTSCRIPT_PACKAGE=corvelle DPKG_MAINTSCRIPT_NAME=postinst \
    /var/lib/dpkg/info/corvelle.postinst configure || echoue "postinst configure again"
  [ "$(stat -c '%a %U' "$cible")" = "755 nobody" ] ||
    echoue "configure followed a user's link: $(stat -c '%a %U' "$cible")"
  [ ! -L /var/spool/corvelle/damaged ] &&
    [ "$(stat -c '%a %U' /var/spool/corvelle/damaged)" = "700 root" ] ||
    echoue "damaged/ was not made anew"
  rm -rf "$cible" /var/spool/corvelle/damaged.set-aside.*
  [ -L /etc/systemd/system/timers.target.wants/corvelle-outbox.timer ] ||
    echoue "the outbox timer is not enabled"
  if command -v systemd-analyze >/dev/null; then
    systemd-analyze verify --man=no /usr/lib/systemd/system/corvelle-outbox.service \
      /usr/lib/systemd/system/corvelle-outbox.timer || echoue "systemd-analyze verify"
  fi
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvelle >/dev/null || echoue "apt-get purge"
  installe=0
  # An empty spool goes with the package; one holding mail would stay.
  [ ! -e /var/spool/corvelle ] || echoue "/var/spool/corvelle left after purge"
  [ ! -e /etc/systemd/system/timers.target.wants/corvelle-outbox.timer ] ||
    echoue "the outbox timer still enabled after purge"
  [ ! -e /usr/bin/corvelle ] || echoue "/usr/bin/corvelle left after removal"
  [ ! -e "/usr/lib/$multiarch/corvelle" ] || echoue "module folder left after removal"
fi

# The mailer package replaces the machine's mail transport agent, so it is
# installed only where there is none.
# The lists are read whole before they are searched: under pipefail, a
# search that stops at its first match fails the listing it cut short.
agents=$(dpkg-query -W -f='${db:Status-Status} ${Package} ${Provides}\n' 2>/dev/null |
  awk '$1 == "installed" && /mail-transport-agent/ {print $2}')
deja=$(dpkg-query -W -f='${db:Status-Status}' corvelle 2>/dev/null || true)
if [ "$(id -u)" -eq 0 ] && [ -f "$mailer" ] && [ -z "$agents" ] && [ "$deja" != installed ]; then
  installe=1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$paquet" "$mailer" \
    >/dev/null || echoue "apt-get install corvelle-sendmail"
  CORVELLE_PREFIXE=/usr python3 -m unittest test_installation.Mailer || echoue "sendmail as root"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvelle-sendmail corvelle >/dev/null ||
    echoue "apt-get purge corvelle-sendmail"
  installe=0
  for lien in /usr/sbin/sendmail /usr/bin/mailq /usr/lib/sendmail; do
    [ ! -e "$lien" ] && [ ! -L "$lien" ] || echoue "$lien left after removal"
  done
else
  echo "verifie: not root, or a mail transport agent (${agents:-none}) or corvelle is installed: corvelle-sendmail is not installed"
fi

if [ "$echecs" -ne 0 ]; then
  echo "verifie: $echecs check(s) failed" >&2
  exit 1
fi
echo "verifie: package OK"
