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

// --- the levels table: one row a level, a cell a value, each element named by its cell's name ---

// The table's columns, by the fields the model gives; a column no level has is left out.
const levelColumns = [['core', 'Core (MHz)'], ['memory', 'Memory (MHz)'], ['voltage', 'Voltage'], ['fan', 'Fan (%)']];
const levelCell = (name) => document.querySelector(`[data-level-cell="${name}"]`);
// The levels whose memory copies the user opened, kept while the table is built anew.
const openCopies = new Set();

function revertButton(name) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'revert';
    button.dataset.revert = name;
    button.textContent = '\u21ba';
    button.setAttribute('aria-label', `Put back the file's value of ${name}`);
    return button;
}

// A cell's input: a list of the table's voltages for a voltage, a text box otherwise.
function levelInput(cell) {
    const input = document.createElement(cell.field === 'voltage' ? 'select' : 'input');
    input.dataset.levelCell = cell.name;
    input.setAttribute('aria-label', cell.name);
    if (cell.field !== 'voltage') input.inputMode = 'decimal';
    return input;
}

function labelled(text, ...children) {
    const label = document.createElement('label');
    label.append(text, ...children);
    return label;
}

// The copies of a level's memory clock; a level that keeps one copy shows its memory cell alone.
function copiesOf(level) {
    const copies = level.cells.filter((cell) => cell.field === 'memoryCopy');
    return copies.length > 1 ? copies : [];
}

function buildLevelTable(table, columns) {
    const head = document.createElement('tr');
    for (const text of ['Level', ...columns.map(([, caption]) => caption)]) {
        const th = document.createElement('th');
        th.textContent = text;
        head.append(th);
    }
    field('levelTable.head').replaceChildren(head);
    const rows = [];
    for (const level of table.levels) {
        const row = document.createElement('tr');
        row.dataset.level = level.id;
        const id = document.createElement('th');
        id.scope = 'row';
        id.textContent = level.id;
        row.append(id);
        const copies = copiesOf(level);
        for (const [key] of columns) {
            const td = document.createElement('td');
            const cell = level.cells.find((c) => c.field === key);
            if (cell) td.append(levelInput(cell));
            if (key === 'memory' && copies.length) {
                const toggle = document.createElement('button');
                toggle.type = 'button';
                toggle.className = 'copies-toggle';
                toggle.dataset.copiesOf = level.id;
                toggle.textContent = `\u00d7${copies.length}`;
                toggle.title = `The ${copies.length} copies of the memory clock, one per memory configuration`;
                td.append(toggle);
            }
            if (cell) td.append(revertButton(cell.name));
            row.append(td);
        }
        rows.push(row);
        if (copies.length) {
            const extra = document.createElement('tr');
            extra.className = 'copies';
            extra.dataset.copiesRow = level.id;
            const td = document.createElement('td');
            td.colSpan = columns.length;
            const list = document.createElement('div');
            list.className = 'copy-list';
            list.append(...copies.map((cell) => labelled(`copy ${cell.copy}`, levelInput(cell), revertButton(cell.name))));
            td.append(list);
            extra.append(document.createElement('td'), td);
            rows.push(extra);
        }
    }
    field('levelTable').replaceChildren(...rows);
}

function showVoltageChoice(select, cell, voltages) {
    // The file's voltage may be one the table lacks: it is offered too, so that the list shows it.
    const values = voltages.includes(cell.text) || cell.text === '' ? voltages : [...voltages, cell.text];
    const shown = [...select.options].map((option) => option.value);
    if (shown.join('\n') !== values.join('\n'))
        select.replaceChildren(...values.map((value) =>
            new Option(voltages.includes(value) ? `${value} V` : `${value} V (not in the table)`, value)));
    select.value = cell.text;
}

// Shows the levels table: built anew when the levels or the voltages differ from what it shows,
// otherwise every cell's text and mark set in place, so that the one being typed in keeps its focus.
function showLevelTable(table) {
    const editor = document.getElementById('level-editor');
    editor.hidden = table === null;
    if (table === null) {
        field('levelTable').replaceChildren();
        editor.dataset.shape = '';
        return;
    }
    const columns = levelColumns.filter(([key]) => table.levels.some((level) =>
        level.cells.some((cell) => cell.field === key)));
    const shape = JSON.stringify([table.voltages, table.levels.map((level) => level.cells.map((cell) => cell.name))]);
    if (editor.dataset.shape !== shape) {
        buildLevelTable(table, columns);
        editor.dataset.shape = shape;
    }
    for (const level of table.levels) {
        const copiesRow = document.querySelector(`[data-copies-row="${level.id}"]`);
        if (copiesRow) copiesRow.hidden = !openCopies.has(level.id);
        const toggle = document.querySelector(`[data-copies-of="${level.id}"]`);
        if (toggle) {
            toggle.setAttribute('aria-expanded', String(openCopies.has(level.id)));
            // A copy that differs from the level's clock, or was changed, shows on the closed row too.
            const copies = copiesOf(level);
            const memory = level.cells.find((cell) => cell.field === 'memory');
            toggle.classList.toggle('changed', copies.some((cell) => cell.changed));
            toggle.classList.toggle('refused', copies.some((cell) => cell.refusal !== ''));
            toggle.classList.toggle('differ', copies.some((cell) => cell.text !== memory.text));
        }
        const shown = level.cells.filter((cell) => cell.field !== 'memoryCopy' || copiesOf(level).includes(cell));
        for (const cell of shown) {
            const input = levelCell(cell.name);
            if (input.tagName === 'SELECT') showVoltageChoice(input, cell, table.voltages);
            else if (input.value !== cell.text) input.value = cell.text;
            input.classList.toggle('changed', cell.changed);
            input.classList.toggle('refused', cell.refusal !== '');
            input.classList.toggle('linked', cell.linked !== null);
            input.dataset.linked = cell.linked ?? '';
            input.title = cell.refusal ? `${cell.refusal}\n\n${cell.hint}` : cell.hint;
            input.dataset.place = cell.place;
            document.querySelector(`[data-revert="${cell.name}"]`).classList.toggle('shown', cell.changed);
        }
    }
}

// The memory copies of a level, opened or closed by the user; returns whether they are open.
export function toggleCopies(id) {
    if (openCopies.has(id)) openCopies.delete(id);
    else openCopies.add(id);
    const row = document.querySelector(`[data-copies-row="${id}"]`);
    if (row) row.hidden = !openCopies.has(id);
    document.querySelector(`[data-copies-of="${id}"]`)?.setAttribute('aria-expanded', String(openCopies.has(id)));
    return openCopies.has(id);
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
    showLevelTable(view.levelTable);
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
