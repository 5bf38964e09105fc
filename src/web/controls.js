// SPDX-License-Identifier: MIT
// Shows the model's state in the page's elements. Every value and every enabled state comes from
// the model; the page decides nothing about the card.

const field = (name) => document.querySelector(`[data-field="${name}"]`);
export const control = (key) => document.querySelector(`[data-control="${key}"]`);

function setText(name, text) {
    const element = field(name);
    if (element.textContent !== text) element.textContent = text;
}

function showList(select, list) {
    const shown = [...select.options].map((option) => option.text);
    if (shown.join('\n') !== list.entries.join('\n') || shown.length !== list.entries.length)
        select.replaceChildren(...list.entries.map((entry) => new Option(entry)));
    select.selectedIndex = list.selected;
    select.disabled = !list.enabled;
}

function showLevels(levels) {
    setText('levels.heading', levels.heading);
    const rows = levels.rows.map((level) => {
        const row = document.createElement('tr');
        const memory = level.memory + (level.copies > 1 ? ` \u00d7${level.copies}` : '');
        for (const text of [level.id, level.core, memory, level.voltage]) {
            const cell = document.createElement('td');
            cell.textContent = text;
            row.append(cell);
        }
        row.title = level.text;
        return row;
    });
    field('levels').replaceChildren(...rows);
}

// state is the editor's state as info --json gives it; state.view what the window adds to it.
export function showState(state) {
    const view = state.view;
    document.title = view.title;
    for (const name of ['device', 'deviceText', 'vendor'])
        setText(name, state[name]);
    for (const name of ['file', 'biosVersion'])
        setText(name, view[name]);
    for (const name of ['device', 'subsystem', 'subsystemVendor'])
        setText(`pciIds.${name}`, state.pciIds[name] ?? '');
    for (const key of ['generalMode', 'timingEdit']) {
        const box = control(key);
        box.checked = state[key].ticked;
        box.disabled = !state[key].enabled;
    }
    for (const [key, list] of Object.entries(state.voltages))
        showList(control(key), list);
    for (const [key, box] of Object.entries({ ...state.clocks, ...state.timings })) {
        const input = control(key);
        if (input.value !== box.text) input.value = box.text;
        input.disabled = !box.enabled;
    }
    // Changed from the file: marked; refused by the save: marked as an error, with the reason.
    for (const [key, mark] of Object.entries(view.marks)) {
        const element = control(key);
        element.classList.toggle('changed', mark.changed);
        element.classList.toggle('refused', mark.refusal !== '');
        element.title = mark.refusal ? `${mark.refusal}\n\n${mark.hint}` : mark.hint;
    }
    for (const [key, rate] of Object.entries(state.memoryRates))
        document.querySelector(`[data-rate="${key}"]`).textContent = rate;
    showLevels(view.levels);
    // Each check's line, its details on hover; a click lists every check.
    const status = view.status;
    for (const [name, warn] of [['imageCheck', !status.imagePassed], ['structureCheck', status.contradicted]]) {
        setText(`status.${name}`, status[name]);
        field(`status.${name}`).classList.toggle('warn', warn);
        field(`status.${name}`).title = status[`${name}Details`] ? `${status[name]}\n\n${status[`${name}Details`]}` : '';
    }
}

export function showChanges(lines) {
    field('changes').replaceChildren(...lines.map((line) => {
        const item = document.createElement('li');
        item.textContent = line;
        return item;
    }));
    document.getElementById('changes').hidden = lines.length === 0;
}

export function showPlace(text) {
    setText('place', text);
}
