// GNOME Shell 43 opens the overview once it has started. Tests want the
// desktop a user works on, so the overview is closed as soon as it opened.
const Main = imports.ui.main;

class Extension {
    constructor() {
        this._startupId = 0;
    }

    enable() {
        if (!Main.layoutManager._startingUp) {
            Main.overview.hide();
            return;
        }
        this._startupId = Main.layoutManager.connect('startup-complete', () => {
            Main.overview.hide();
        });
    }

    disable() {
        if (this._startupId)
            Main.layoutManager.disconnect(this._startupId);
        this._startupId = 0;
    }
}

function init() {
    return new Extension();
}
