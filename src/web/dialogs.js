// SPDX-License-Identifier: MIT
// The page's own dialogs: one at a time, each waiting for its button, in the order asked for.

const dialog = document.getElementById('dialog');
let last = Promise.resolve();

// Shows a dialog and resolves with the value of the button pressed (Escape: the last button's).
// kind says what it is: "message", "question", "checks" or the name of a secondary window.
export function showDialog({ kind, title, text, detail = '', buttons = [['OK', 'ok']] }) {
    const shown = last.then(() => new Promise((resolve) => {
        dialog.dataset.kind = kind;
        dialog.dataset.number = String(Number(dialog.dataset.number ?? 0) + 1); // tells one from the next
        dialog.querySelector('.dialog-title').textContent = title;
        dialog.querySelector('.dialog-text').textContent = text;
        dialog.querySelector('.dialog-detail').textContent = detail;
        const row = dialog.querySelector('.dialog-buttons');
        row.replaceChildren(...buttons.map(([caption, value]) => {
            const button = document.createElement('button');
            button.textContent = caption;
            button.value = value;
            return button;
        }));
        dialog.returnValue = buttons[buttons.length - 1][1];
        dialog.addEventListener('close', () => resolve(dialog.returnValue), { once: true });
        dialog.showModal();
        row.firstElementChild.focus();
    }));
    last = shown;
    return shown;
}

// The secondary windows the model opens, in the page's words.
const secondary = {
    'general-mode': {
        title: 'Warning',
        text: 'In the previous mode your voltage settings were auto sensed: you could use the settings ' +
            'that were found in the BIOS, and maybe an additional higher one if your BIOS looked like it ' +
            'would support it. In this general mode you can select all voltages that are common for your ' +
            'type of card. Problem is if your vendor does not use the common voltage scheme, the voltages ' +
            'you apply here may NOT be what your card really gets.',
        detail: 'Allows more Voltage Options for some cards. Less compatible. More risk.',
        buttons: [['Ok!', 'ok']],
    },
    'memory-timings': {
        title: 'Warning',
        text: 'Editing memory timings is experimental only for advanced users. Changing values here is ' +
            'the fastest way to make your card not boot again.',
        detail: 'Very risky',
        buttons: [['Ok!', 'ok']],
    },
    help: {
        title: 'How do I ?',
        text: 'Read the BIOS from your card with the flash tool your card vendor provides, open the file ' +
            'here, change what you need and save: the page offers the new image as a download. Flash it ' +
            'with the same tool. Do not change values that are obviously not read out correctly; ask ' +
            'people on forums for help if you are unsure on some steps.',
        detail: 'If the card does not boot any more, start it from a second (PCI) card and flash the ' +
            'backup of your old BIOS back.',
    },
};

export function showSecondary(name, about) {
    if (name === 'about') return showDialog({ kind: name, title: 'About', text: about });
    return showDialog({ kind: name, ...secondary[name] });
}
