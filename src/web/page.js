// SPDX-License-Identifier: MIT
// The editor in the browser: the window model in WebAssembly, driven by the page's controls. A file
// the user opens is written into the module's in-memory file system and opened by name; a save is
// read back from there and offered as a download.
import createEditorModule from './zorvane-fx.mjs';
import { showChanges, showPlace, showState, toggleCopies } from './controls.js';
import { showDialog, showSecondary } from './dialogs.js';

const module = await createEditorModule();
// Files live in a folder of their own, opened by their bare names as the user knows them.
module.FS.mkdir('/files');
module.FS.chdir('/files');
const editor = new module.PageEditor();
const saveName = document.getElementById('save-name');
const saveButton = document.getElementById('save-button');

function render() {
    const state = editor.state();
    showState(state);
    saveName.disabled = saveButton.disabled = !state.view.status.opened;
    document.getElementById('undo-button').disabled = !state.view.canUndo;
    document.getElementById('redo-button').disabled = !state.view.canRedo;
    document.getElementById('revert-all-button').disabled = !state.view.modified;
    return state;
}

function offerDownload(file) {
    const bytes = module.FS.readFile(file.path);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = file.name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
}

// What the answer to a question tells the model before the action runs again; false: cancelled.
function answer(question, reply) {
    if (question.kind === 'unsaved') {
        if (reply === 'cancel') return false;
        editor.setSavePath(editor.proposedSaveName());
        editor.answerUnsaved(reply);
        return true;
    }
    if (reply !== 'save') return false;
    editor.agree(question.text, question.detail);
    return true;
}

function ask(question) {
    if (question.kind === 'unsaved')
        return showDialog({ kind: 'question', title: 'Zorvane FX', text: question.text,
            buttons: [['Save', 'save'], ['Discard', 'discard'], ['Cancel', 'cancel']] });
    return showDialog({ kind: 'question', title: 'Save anyway?', text: question.text, detail: question.detail,
        buttons: [['Save', 'save'], ['Cancel', 'cancel']] });
}

// Runs one user action through the model: its questions are asked as the page's dialogs and the
// action runs again with the answers; then its messages, secondary windows and saved files follow.
// The body's data-idle is "true" when no action runs and no dialog of one is open.
let busy = Promise.resolve();
let pending = 0;
let proposedName = '';
// prepare runs first, for what the action needs that takes time (reading a file); timing names a
// performance measure from the call to the page showing the result (bench/web_load.mjs reads it).
function act(action, { prepare = async () => {}, timing } = {}) {
    const start = performance.now();
    pending += 1;
    document.body.dataset.idle = 'false';
    // A fault of one action is reported and does not stop the next.
    const measure = () => timing && performance.measure(timing, { start });
    busy = busy.then(prepare)
        .then(() => runAction(action, measure))
        .catch((fault) => console.error(fault))
        .finally(() => {
            pending -= 1;
            if (pending === 0) document.body.dataset.idle = 'true';
        });
    return busy;
}

async function runAction(action, measure) {
    let result = action();
    while (result.question) {
        const reply = await ask(result.question);
        if (!answer(result.question, reply)) {
            editor.forgetAnswers();
            render();
            return;
        }
        result = action();
    }
    const state = render();
    measure();
    for (const file of result.saved) {
        offerDownload(file);
        showChanges(file.lines);
    }
    const proposal = editor.proposedSaveName();
    if (proposal !== proposedName) saveName.value = proposedName = proposal;
    const shown = result.dialogs.map((name) => showSecondary(name, state.view.caption));
    for (const message of result.messages)
        shown.push(showDialog({ kind: 'message', title: message.isError ? 'Error' : 'Zorvane FX',
            text: message.text, detail: message.detail }));
    await Promise.all(shown);
}

function openFile(file) {
    const prepare = async () => module.FS.writeFile(file.name, new Uint8Array(await file.arrayBuffer()));
    return act(() => editor.open(file.name), { prepare, timing: 'zfx-open' });
}

// The window opens what is dropped on it when it is one .rom or .bin file.
function droppedBiosFile(transfer) {
    if (!transfer || transfer.files.length !== 1) return null;
    const file = transfer.files[0];
    return /\.(rom|bin)$/i.test(file.name) ? file : null;
}

document.getElementById('open-file').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openFile(file);
});
document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    const file = droppedBiosFile(event.dataTransfer);
    if (file) openFile(file);
});
document.getElementById('save-form').addEventListener('submit', (event) => {
    event.preventDefault();
    act(() => editor.save(saveName.value));
});
// The window's keys: Ctrl+O opens, Ctrl+S saves, Ctrl+Z undoes and Ctrl+Y redoes (the model's
// history, not the text box's own).
document.addEventListener('keydown', (event) => {
    if (!event.ctrlKey || event.altKey || event.shiftKey) return;
    const key = event.key.toLowerCase();
    if (key === 'o') document.getElementById('open-file').click();
    else if (key === 's' && !saveButton.disabled) saveButton.click();
    else if (key === 'z') act(() => editor.undo());
    else if (key === 'y') act(() => editor.redo());
    else return;
    event.preventDefault();
});
// Edits not yet saved: the browser asks before the page goes.
window.addEventListener('beforeunload', (event) => {
    if (editor.state().view.modified) event.preventDefault();
});
document.getElementById('undo-button').addEventListener('click', () => act(() => editor.undo()));
document.getElementById('redo-button').addEventListener('click', () => act(() => editor.redo()));
document.getElementById('revert-all-button').addEventListener('click', () => act(() => editor.revertAll()));
document.getElementById('help-button').addEventListener('click', () => act(() => editor.help()));
document.getElementById('about-button').addEventListener('click', () => act(() => editor.about()));
for (const line of document.querySelectorAll('.status-line, #checks-button'))
    line.addEventListener('click', () => {
        const report = editor.checksReport();
        showDialog({ kind: 'checks', title: 'Image and structure checks', text: report ? '' : 'No image is open.',
            detail: report });
    });

for (const element of document.querySelectorAll('[data-control]')) {
    const key = element.dataset.control;
    if (element.type === 'checkbox')
        element.addEventListener('change', () => act(() => editor.setChecked(key, element.checked)));
    else if (element.tagName === 'SELECT')
        element.addEventListener('change', () => act(() => editor.select(key, element.selectedIndex)));
    else
        // The model takes digits only; what it refuses goes back to its own text at the render.
        element.addEventListener('input', () => act(() => editor.type(key, element.value)));
    if (element.type !== 'checkbox') {
        // Where the value lives in the image, for the status line.
        element.addEventListener('focus', () => showPlace(editor.placeOf(key)));
        element.addEventListener('mouseenter', () => showPlace(editor.placeOf(key)));
        element.addEventListener('blur', () => showPlace(''));
    }
}

// The levels table, built anew by each render that finds other levels: its elements are reached
// through the table. A cell sends its text as the user types or chooses it; Esc or its button puts
// back the file's value.
const levelEditor = document.getElementById('level-editor');
levelEditor.addEventListener('input', (event) => {
    const name = event.target.dataset.levelCell;
    if (name && event.target.tagName === 'INPUT') act(() => editor.setLevel(name, event.target.value));
});
levelEditor.addEventListener('change', (event) => {
    const name = event.target.dataset.levelCell;
    if (name && event.target.tagName === 'SELECT') act(() => editor.setLevel(name, event.target.value));
});
levelEditor.addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (button?.dataset.revert) act(() => editor.revertLevel(button.dataset.revert));
    else if (button?.dataset.copiesOf) toggleCopies(button.dataset.copiesOf);
});
levelEditor.addEventListener('keydown', (event) => {
    const name = event.target.dataset.levelCell;
    if (name && event.key === 'Escape') {
        event.preventDefault();
        act(() => editor.revertLevel(name));
    }
});
for (const type of ['focusin', 'mouseover'])
    levelEditor.addEventListener(type, (event) => {
        if (event.target.dataset.levelCell) showPlace(event.target.dataset.place);
    });
levelEditor.addEventListener('focusout', () => showPlace(''));

render();
document.getElementById('loading').remove();
document.body.dataset.idle = 'true';
performance.mark('zfx-interactive');
