// GNOME Shell 43 opens the overview once it has started. Tests want the
// desktop a user works on, so the overview is closed as soon as it opened.
// The top bar's clock goes too: it would change the screen once a minute,
// between a test's picture of the screen and the next.
const Main = imports.ui.main;

class Extension {
    constructor() {
        this._startupId = 0;
    }

    enable() {
        if (!Main.layoutManager._startingUp) {
            this._settle();
            return;
        }
        this._startupId = Main.layoutManager.connect('startup-complete', () => this._settle());
    }

    disable() {
        if (this._startupId)
            Main.layoutManager.disconnect(this._startupId);
        this._startupId = 0;
        Main.panel.statusArea.dateMenu.container.show();
    }

    _settle() {
        Main.overview.hide();
        Main.panel.statusArea.dateMenu.container.hide();
    }
}

function init() {
    return new Extension();
}
