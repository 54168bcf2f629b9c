# SPDX-License-Identifier: MIT
# The fake desktop portal, a template of python-dbusmock's (Debian's python3-dbusmock):
#   python3 -m dbusmock --template portal.py -p '{"answers": [ANSWER, ...]}'
# PickColor gives, call by call: "R,G,B" (sRGB, 0 to 1) picked ("~R,G,B" as an older portal that names its
# request object its own way, "+R,G,B" a second later), "cancel", "refuse" (response 2) or "error" (an
# error reply). It says "ready", then "pick N" for each call and "answered N" for each answer.
import dbus
import dbus.lowlevel
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.Screenshot'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.answers = list(parameters['answers'])
    mock.picks = 0
    print('ready', flush=True)


@dbus.service.method(MAIN_IFACE, in_signature='sa{sv}', out_signature='o', sender_keyword='sender')
def PickColor(self, parent, options, sender):
    self.picks += 1
    pick = self.picks
    print(f'pick {pick}', flush=True)
    answer = self.answers.pop(0) if self.answers else 'error'
    if answer == 'error':
        raise dbus.exceptions.DBusException('no picker here', name='org.freedesktop.portal.Error.Failed')
    owner = 'older' if answer.startswith('~') else sender[1:].replace('.', '_')
    request = f'/org/freedesktop/portal/desktop/request/{owner}/{options["handle_token"]}'
    rgb = [float(c) for c in answer.lstrip('~+').split(',')] if ',' in answer else []

    # The answer comes later, from the request object, as a real portal's does when the user has picked.
    def respond():
        response = dbus.lowlevel.SignalMessage(request, 'org.freedesktop.portal.Request', 'Response')
        results = {'color': dbus.Struct(rgb, signature='ddd')} if rgb else {}
        response.append(dbus.UInt32(0 if rgb else 1 if answer == 'cancel' else 2),
                        dbus.Dictionary(results, signature='sv'), signature='ua{sv}')
        self.connection.send_message(response)
        print(f'answered {pick}', flush=True)
        return False

    GLib.timeout_add(1000 if answer.startswith('+') else 50, respond)
    return dbus.ObjectPath(request)
