#!/bin/sh
# Sets a Linux machine up for the KT90 programmer: installs the udev rule 60-kt90.rules
# (permissions and the /dev/kt90-N name of the programmer's serial port), reloads udev and
# adds the user to the serial-port group dialout. Run it as root:
#
#   sudo sh install-driver.sh [USER]          (pkexec works too)
#   sudo sh install-driver.sh --uninstall
#
# USER defaults to the one who called sudo or pkexec. KT90_RULES_DIR names another rules
# folder (default /etc/udev/rules.d).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
rules_dir=${KT90_RULES_DIR:-/etc/udev/rules.d}
rule=60-kt90.rules

if [ "$(id -u)" -ne 0 ]; then
  echo "This needs administrator rights. Run:"
  echo "  sudo sh '$here/install-driver.sh'"
  exit 1
fi

reload_udev() {
  if [ -n "${KT90_RULES_DIR:-}" ]; then
    echo "The rule went to $rules_dir, not the system's folder: udev is not reloaded."
  elif command -v udevadm >/dev/null 2>&1; then
    udevadm control --reload-rules 2>/dev/null || true
    udevadm trigger --subsystem-match=tty --action=add 2>/dev/null || true
    echo "udev rules reloaded."
  else
    echo "udevadm is not installed: the rule takes effect once udev runs (or after a restart)."
  fi
}

if [ "${1:-}" = "--uninstall" ]; then
  rm -f "$rules_dir/$rule"
  echo "Removed $rules_dir/$rule."
  reload_udev
  exit 0
fi

mkdir -p "$rules_dir"
install -m 0644 "$here/$rule" "$rules_dir/$rule"
echo "Installed $rules_dir/$rule."
reload_udev

user=${1:-${SUDO_USER:-}}
if [ -z "$user" ] && [ -n "${PKEXEC_UID:-}" ]; then
  user=$(id -nu "$PKEXEC_UID" 2>/dev/null || true)
fi

echo
echo "The programmer's port belongs to the group dialout: a user outside that group cannot open it."
if [ -z "$user" ] || [ "$user" = root ]; then
  echo "Add each user who works with the programmer to it:"
  echo "  sudo usermod -aG dialout USERNAME"
elif ! id "$user" >/dev/null 2>&1; then
  echo "There is no user $user. Add each user who works with the programmer to the group:"
  echo "  sudo usermod -aG dialout USERNAME"
elif id -nG "$user" | tr ' ' '\n' | grep -qx dialout; then
  echo "$user is already in dialout."
else
  usermod -aG dialout "$user"
  echo "Added $user to dialout."
fi
echo "Group changes count from the next login: log out and in again, then plug the programmer in."
echo "It then appears as /dev/ttyACM0 (or the next number) and as /dev/kt90-0."
