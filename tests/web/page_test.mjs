// SPDX-License-Identifier: MIT
// Drives the editor's page in headless Chromium and holds it to the CLI, which runs the same window
// model: every field the page shows after an open against `info --json`, the downloaded file of
// a save against the file `set` writes for the same edits, the messages and refusals of wrong and
// damaged files against the CLI's. Every request the page makes must go to the page's own server.
// Usage: node page_test.mjs CLI SAMPLES_DIR SITE_DIR
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { basename, extname, join } from 'node:path';
import { chromium } from 'playwright-core';

const [cli, samplesDir, siteDir] = process.argv.slice(2);
if (!siteDir) {
    console.error('usage: node page_test.mjs CLI SAMPLES_DIR SITE_DIR');
    process.exit(2);
}
const work = mkdtempSync(join(tmpdir(), 'zfx-web-'));
let failures = 0;
function check(ok, what) {
    if (!ok) {
        failures += 1;
        console.error(`FAIL ${what}`);
    }
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
function checkSame(actual, expected, what) {
    check(same(actual, expected), `${what}\n  page:     ${JSON.stringify(actual)}\n  expected: ${JSON.stringify(expected)}`);
}

// --- the CLI, run in the file's folder so that it names the file as the page does ---
function cliRun(dir, args) {
    const run = spawnSync(cli, args, { cwd: dir, encoding: 'utf8' });
    return { status: run.status, out: run.stdout, err: run.stderr };
}
function cliInfo(dir, name, option) {
    const run = cliRun(dir, ['info', '--json', ...(option ? [option] : []), name]);
    return JSON.parse(run.out);
}
// The texts from the file that the page shows as the window does, with control characters as
// visible escapes: the CLI's summary shows them the same way, the JSON as they are.
function cliVisibleTexts(dir, name) {
    const lines = cliRun(dir, ['info', name]).out.split('\n');
    // The values start in the 16th column.
    const after = (caption) => lines.find((line) => line.startsWith(caption)).slice(15);
    return { file: after('File:'), biosVersion: after('BIOS version:') };
}

// --- the site, served on loopback ---
const types = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.mjs': 'text/javascript',
    '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
    const name = new URL(request.url, 'http://localhost').pathname.replace(/^\/$/, '/index.html');
    try {
        const body = readFileSync(join(siteDir, basename(name)));
        response.writeHead(200, { 'Content-Type': types[extname(name)] ?? 'application/octet-stream' });
        response.end(body);
    } catch {
        response.writeHead(404).end();
    }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
const context = await browser.newContext({ acceptDownloads: true });
const requests = [];
context.on('request', (request) => requests.push(request.url()));
const pageErrors = [];

async function freshPage() {
    const page = await context.newPage();
    page.downloads = [];
    page.on('download', (download) => page.downloads.push(download));
    page.on('pageerror', (error) => pageErrors.push(error.message));
    page.on('console', (message) => {
        if (message.type() === 'error') pageErrors.push(message.text());
    });
    // The browser's own question before leaving a page with unsaved edits: leave.
    page.on('dialog', (dialog) => dialog.accept());
    await page.goto(`${origin}/`);
    await page.waitForSelector('body[data-idle="true"]');
    return page;
}

// The page loaded afresh: a model that has opened nothing yet, as each run of the CLI.
async function reload(page) {
    await page.reload();
    await page.waitForSelector('body[data-idle="true"]');
}

// Waits until the page's action is over, answering each dialog on the way with answerOf(dialog)
// (a button's value; the first button when it gives none). Returns the dialogs in order.
async function settle(page, answerOf = () => undefined) {
    const dialogs = [];
    for (;;) {
        await page.waitForSelector('#dialog[open], body[data-idle="true"]');
        const open = await page.$('#dialog[open]');
        if (!open) return dialogs;
        const shown = await open.evaluate((d) => ({
            number: d.dataset.number,
            kind: d.dataset.kind,
            text: d.querySelector('.dialog-text').textContent,
            detail: d.querySelector('.dialog-detail').textContent,
            buttons: [...d.querySelectorAll('.dialog-buttons button')].map((b) => b.value),
        }));
        const { number, ...seen } = shown;
        dialogs.push(seen);
        const value = answerOf(shown) ?? shown.buttons[0];
        await page.click(`#dialog .dialog-buttons button[value="${value}"]`);
        // Closed, or already the next one.
        await page.waitForFunction((number) => {
            const d = document.getElementById('dialog');
            return !d.open || d.dataset.number !== number;
        }, number);
    }
}

// Opens a file on a page that may hold edits: they are discarded, as a user who opens the next
// file would answer.
async function openIn(page, path) {
    await page.setInputFiles('#open-file', path);
    return settle(page, (d) => (d.kind === 'question' ? 'discard' : undefined));
}

// The same by dropping the file on the page.
async function dropIn(page, path, name = basename(path)) {
    await page.evaluate(([fileName, base64]) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], fileName));
        document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, [name, readFileSync(path).toString('base64')]);
    return settle(page, (d) => (d.kind === 'question' ? 'discard' : undefined));
}

// What the page shows, in the shape of `info --json`.
async function shownState(page) {
    return page.evaluate(() => {
        const text = (name) => document.querySelector(`[data-field="${name}"]`).textContent;
        const control = (key) => document.querySelector(`[data-control="${key}"]`);
        const orNull = (value) => (value === '' ? null : value);
        const list = (key) => ({ entries: [...control(key).options].map((o) => o.text),
            selected: control(key).selectedIndex, enabled: !control(key).disabled });
        const box = (key) => ({ text: control(key).value, enabled: !control(key).disabled });
        const check = (key) => ({ enabled: !control(key).disabled, ticked: control(key).checked });
        const keys = (names, shape) => Object.fromEntries(names.map((name) => [name, shape(name)]));
        const rate = (key) => document.querySelector(`[data-rate="${key}"]`).textContent;
        return {
            file: text('file'), device: text('device'), deviceText: text('deviceText'),
            biosVersion: text('biosVersion'), vendor: text('vendor'),
            pciIds: { device: orNull(text('pciIds.device')), subsystem: orNull(text('pciIds.subsystem')),
                subsystemVendor: orNull(text('pciIds.subsystemVendor')) },
            generalMode: check('generalMode'), timingEdit: check('timingEdit'),
            voltages: keys(['2d', 'throttle', '3d'], list),
            clocks: keys(['core2d', 'mem2d', 'coreThrottle', 'memThrottle', 'core3d', 'mem3d'], box),
            memoryRates: keys(['2d', 'throttle', '3d'], rate),
            timings: keys(['A', 'B', 'C', 'D', 'E', 'F'], box),
            levels: [...document.querySelectorAll('[data-field="levels"] tr')].map(
                (row) => [...row.cells].map((cell) => cell.textContent)),
            status: { line: text('status.imageCheck'), structure: text('status.structureCheck') },
        };
    });
}

// The levels as the page's table gives them, in the numbers of the CLI's JSON.
function levelNumbers(rows) {
    return rows.map(([id, core, memory, voltage]) => ({
        id: parseInt(id, 16), core: parseFloat(core),
        memory: memory === '' ? null : parseFloat(memory),
        voltage: voltage === '' ? null : parseFloat(voltage),
    }));
}
function cliLevelNumbers(levels = []) {
    return levels.map((level) => ({ id: level.id, core: level.core.mhz,
        memory: level.memory ? level.memory.mhz : null, voltage: level.voltage ? level.voltage.volts : null }));
}

// The keys of `info --json`: the fields the page shows as they are, what it shows otherwise (as
// dialogs, as a table), and what it does not show (the card's internal flags, the tables' offsets).
const fields = ['file', 'device', 'deviceText', 'biosVersion', 'vendor', 'pciIds', 'generalMode', 'timingEdit',
    'voltages', 'clocks', 'memoryRates', 'timings'];
const compared = [...fields, 'messages', 'warnings', 'levels'];
const notShown = ['flags', 'offsets'];

async function compareOpen(page, dir, name, option, open = openIn) {
    const what = `${name}${option ? ` ${option}` : ''}${open === dropIn ? ' (dropped)' : ''}`;
    const dialogs = (await open(page, join(dir, name))).filter((d) => d.kind !== 'question');
    const tick = { '--general-mode': 'generalMode', '--timings': 'timingEdit' }[option];
    const expected = cliInfo(dir, name, option);
    if (tick) {
        // The CLI ticks the box only when the card allows it, as the window does.
        if (!expected[tick].enabled) return;
        await page.check(`[data-control="${tick}"]`);
        dialogs.push(...await settle(page));
    }
    const shown = await shownState(page);
    const unknown = Object.keys(expected).filter((key) => !compared.includes(key) && !notShown.includes(key));
    checkSame(unknown, [], `${what}: info --json has keys the page test does not know`);
    const visible = cliVisibleTexts(dir, name);
    for (const key of fields)
        checkSame(shown[key], visible[key] ?? expected[key], `${what}: ${key}`);
    checkSame(dialogs.filter((d) => d.kind === 'message').map((d) => d.text), expected.messages,
        `${what}: messages`);
    checkSame(dialogs.filter((d) => d.kind !== 'message').map((d) => d.kind), expected.warnings,
        `${what}: warnings`);
    checkSame(levelNumbers(shown.levels), cliLevelNumbers(expected.levels), `${what}: levels`);
    // The status line: the image check and the structure check as `verify` words them.
    const verified = JSON.parse(cliRun(dir, ['verify', '--json', name]).out);
    checkSame(shown.status, { line: verified.line, structure: verified.structure.line }, `${what}: status line`);
}

// Edits a clock, a voltage and a timing where the card has them, saves, and compares the download
// with what `set` writes for the same edits; a question before the save is answered with answer
// ("save" or "cancel") and must be what the CLI refuses the save for.
async function compareSave(page, dir, name, answer = 'save') {
    await openIn(page, join(dir, name));
    const info = cliInfo(dir, name);
    const args = [];
    const clock = ['core3d', 'mem3d', 'core2d'].find((key) => info.clocks[key].enabled);
    if (clock) {
        const value = String(Number(info.clocks[clock].text) + 5);
        await page.fill(`[data-control="${clock}"]`, value);
        await settle(page);
        args.push({ core3d: '--core-3d', mem3d: '--mem-3d', core2d: '--core-2d' }[clock], value);
    }
    const list = ['3d', 'throttle', '2d'].find((key) => info.voltages[key].enabled &&
        info.voltages[key].entries.length > 1);
    if (list) {
        const position = (info.voltages[list].selected + 1) % info.voltages[list].entries.length;
        await page.selectOption(`[data-control="${list}"]`, { index: position });
        await settle(page);
        args.push(`--voltage-${list}`, `#${position}`);
    }
    if (info.timingEdit.enabled) {
        await page.check('[data-control="timingEdit"]');
        await settle(page);
        const timings = cliInfo(dir, name, '--timings').timings;
        const key = ['A', 'B', 'C', 'D', 'E', 'F'].find((k) => timings[k].enabled && /^\d+$/.test(timings[k].text));
        if (key) {
            const old = Number(timings[key].text);
            const value = String(old < 255 ? old + 1 : old - 1);
            await page.fill(`[data-control="${key}"]`, value);
            await settle(page);
            args.push(`--timing-${key.toLowerCase()}`, value);
        } else {
            args.push('--timings');
        }
    }
    return saveAgainstCli(page, dir, name, args, answer);
}

// Saves the page's edits and compares the download with what `set` writes for args; a question
// before the save is answered with answer and must be what the CLI refuses the save for.
async function saveAgainstCli(page, dir, name, args, answer = 'save') {
    const proposed = await page.inputValue('#save-name');
    checkSame(proposed, `${basename(name, extname(name))}-mod.rom`, `${name}: proposed save name`);
    const out = join(work, `${name}-cli`);
    const unforced = join(work, `${name}-unforced`);
    execFileSync('mkdir', ['-p', out, unforced]);
    const refused = cliRun(dir, ['set', name, '-o', join(unforced, proposed), ...args]);
    const forced = cliRun(dir, ['set', name, '-o', join(out, proposed), '--force', ...args]);

    const downloadsBefore = page.downloads.length;
    await page.click('#save-button');
    const dialogs = await settle(page, (d) => (d.kind === 'question' ? answer : undefined));
    const questions = dialogs.filter((d) => d.kind === 'question');
    // What the page asks about, the CLI refuses the save for (without --force) or warns of (when it
    // saves).
    const said = refused.err + forced.err;
    for (const question of questions)
        check((question.detail || question.text).split('\n').every((line) => said.includes(line)),
            `${name}: the page asked "${question.text} ${question.detail}", the CLI said: ${said}`);
    const cliSave = questions.length ? forced : refused;
    const cliFile = join(cliSave === refused ? unforced : out, proposed);
    // The download starts during the action; its event may reach the test a little later.
    const expectDownload = cliSave.status === 0 && !(answer === 'cancel' && questions.length);
    let saved = page.downloads[downloadsBefore] ?? null;
    if (!saved && expectDownload) saved = await page.waitForEvent('download', { timeout: 5000 }).catch(() => null);
    if (answer === 'cancel' && questions.length) {
        check(saved === null, `${name}: a cancelled save downloaded a file`);
    } else if (cliSave.status === 0) {
        check(saved !== null, `${name}: no download (dialogs: ${JSON.stringify(dialogs)})`);
        if (saved) {
            checkSame(saved.suggestedFilename(), proposed, `${name}: download name`);
            const bytes = readFileSync(await saved.path());
            check(Buffer.compare(bytes, readFileSync(cliFile)) === 0,
                `${name}: the downloaded bytes differ from what set ${args.join(' ')} writes`);
            const changes = await page.$$eval('[data-field="changes"] li', (items) => items.map((i) => i.textContent));
            const cliChanges = cliSave.out.trim().split('\n').slice(1).map((line) => line.trim());
            checkSame(changes.slice(0, cliChanges.length), cliChanges, `${name}: list of changes`);
        }
    } else {
        // A save the model refuses: the page shows the CLI's reason and downloads nothing.
        check(saved === null, `${name}: a refused save downloaded a file`);
        const messages = dialogs.filter((d) => d.kind === 'message');
        check(messages.length > 0 && messages.every((m) => cliSave.err.includes(m.text) &&
            cliSave.err.includes(m.detail.split('\n')[0])),
        `${name}: refusal\n  page: ${JSON.stringify(messages)}\n  cli:  ${cliSave.err}`);
    }
    return { args, questions: questions.length, downloaded: saved !== null };
}

// --- the levels table ---

// What the levels table shows: each cell's text, marks and the mode box it is linked to, by name.
async function shownLevelCells(page) {
    return page.$$eval('[data-level-cell]', (inputs) => Object.fromEntries(inputs.map((input) => [
        input.dataset.levelCell, { text: input.value, changed: input.classList.contains('changed'),
            refused: input.classList.contains('refused'), linked: input.dataset.linked, options: input.tagName === 'SELECT' ? [...input.options].map((o) => o.value) : [],
            title: input.title }])));
}
// A number a little off the cell's, written as the cell writes it: two decimals where it has them.
function nudged(text, by) {
    const value = Number(text) + by;
    return text.includes('.') ? value.toFixed(2) : String(value);
}
async function fillLevel(page, name, text) {
    await page.fill(`[data-level-cell="${name}"]`, text);
    await settle(page);
}

// Edits the levels in the page as a user would, each kind of value where the image has one: a
// core clock no box shows, one a box shows (the box follows), a memory copy on its own, a voltage
// from the table's list, a fan; checks the marks, the linked boxes, a revert and undo on the way,
// then saves and compares the download with what `set --level` writes for the same edits.
async function compareLevelSave(page, dir, name) {
    await openIn(page, join(dir, name));
    const before = await shownLevelCells(page);
    const names = Object.keys(before);
    if (names.length === 0) {
        check(await page.$eval('#level-editor', (e) => e.hidden), `${name}: a levels table without levels`);
        return { args: [], downloaded: false };
    }
    check(!(await page.evaluate(() => {
        const event = new Event('beforeunload', { cancelable: true });
        window.dispatchEvent(event);
        return event.defaultPrevented;
    })), `${name}: leaving the page as opened asks first`);
    check(names.every((cell) => !before[cell].changed && !before[cell].refused && before[cell].title !== ''),
        `${name}: the levels as opened are marked changed or refused, or lack their tool tip`);
    const args = [];
    const level = (cell) => cell.split(':')[0];
    const edit = async (cell, text) => {
        await fillLevel(page, cell, text);
        args.push('--level', `${cell}=${text}`);
    };
    const cores = names.filter((cell) => cell.endsWith(':core'));
    const unlinked = names.find((cell) => /:(core|memory)$/.test(cell) && !before[cell].linked);
    if (unlinked) {
        await edit(unlinked, nudged(before[unlinked].text, 5));
        const after = await shownLevelCells(page);
        check(after[unlinked].changed && !after[unlinked].refused, `${name}: ${unlinked} not marked as changed`);
    }
    // A value a mode box shows: typing into the level changes the box, typing into the box the level.
    const linked = cores.find((cell) => before[cell].linked);
    if (linked) {
        const box = before[linked].linked;
        const value = String(Math.round(Number(before[linked].text)) + 10);
        await edit(linked, value);
        checkSame(await page.inputValue(`[data-control="${box}"]`), value, `${name}: the ${box} box after ${linked}=${value}`);
        const back = String(Number(value) + 1);
        await page.fill(`[data-control="${box}"]`, back);
        await settle(page);
        const after = (await shownLevelCells(page))[linked];
        check(after.text === back && after.changed, `${name}: ${linked} after typing ${back} into ${box}: ${JSON.stringify(after)}`);
        args.push({ core3d: '--core-3d', coreThrottle: '--core-throttle', core2d: '--core-2d' }[box], back);
    }
    // A copy of a level whose memory clock the edits above left alone.
    const copy = names.find((cell) => /:memory\.1$/.test(cell) && (!unlinked || level(cell) !== level(unlinked)));
    if (copy) {
        // The copies are a row of their own, opened by the memory cell's button.
        check(!(await page.isVisible(`[data-level-cell="${copy}"]`)), `${name}: the copies are shown before they are opened`);
        await page.click(`[data-copies-of="${level(copy)}"]`);
        check(await page.isVisible(`[data-level-cell="${copy}"]`), `${name}: the copies do not open`);
        await edit(copy, nudged(before[copy].text, 3));
        const after = await shownLevelCells(page);
        check(after[copy].changed && !after[`${level(copy)}:memory`].changed,
            `${name}: ${copy} changed alone should mark it alone`);
        // A value refused by the save is marked, and put back by its button.
        const other = `${level(copy)}:memory.0`;
        await fillLevel(page, other, 'fast');
        const refused = await shownLevelCells(page);
        check(refused[other].refused && refused[other].title.includes('fast'), `${name}: ${other}=fast is not marked refused`);
        await page.click(`[data-revert="${other}"]`);
        await settle(page);
        checkSame((await shownLevelCells(page))[other], before[other], `${name}: ${other} after its revert`);
    }
    const voltage = names.find((cell) => cell.endsWith(':voltage') && before[cell].options.length > 1);
    if (voltage) {
        const choice = before[voltage].options.find((value) => value !== before[voltage].text);
        await page.selectOption(`[data-level-cell="${voltage}"]`, choice);
        await settle(page);
        args.push('--level', `${voltage}=${choice}`);
        checkSame((await shownLevelCells(page))[voltage].text, choice, `${name}: ${voltage} after choosing ${choice}`);
        // The mode's list that sets the level's voltage shows the choice as well.
        const list = before[voltage].linked;
        if (list) {
            const entry = await page.$eval(`[data-control="${list}"]`, (select) => select.selectedOptions[0]?.text ?? '');
            check(parseFloat(entry) === parseFloat(choice), `${name}: the ${list} list shows ${entry} after ${voltage}=${choice}`);
        }
    }
    const fan = names.find((cell) => cell.endsWith(':fan'));
    if (fan) await edit(fan, String((Number(before[fan].text) + 10) % 101));
    // Undo takes the last edit back and redo gives it again, in the table as in the boxes.
    const edited = await shownLevelCells(page);
    await page.click('#undo-button');
    await settle(page);
    check(!same(await shownLevelCells(page), edited), `${name}: undo left the levels as they were`);
    await page.click('#redo-button');
    await settle(page);
    checkSame(await shownLevelCells(page), edited, `${name}: the levels after undo and redo`);
    // Leaving the page with unsaved edits asks first.
    const leaving = () => page.evaluate(() => {
        const event = new Event('beforeunload', { cancelable: true });
        window.dispatchEvent(event);
        return event.defaultPrevented;
    });
    check(await leaving(), `${name}: leaving the page with unsaved edits does not ask`);
    return saveAgainstCli(page, dir, name, args);
}

// --- the run ---
const started = Date.now();
const samples = readdirSync(samplesDir).filter((name) => /\.(rom|bin)$/i.test(name)).sort();
check(samples.length > 0, `no samples in ${samplesDir}`);
// A wrong file (text, not a BIOS), damaged ones (cut short; a changed byte under the checksum), and
// a sound one whose name has a space and a letter outside ASCII.
const bad = join(work, 'bad');
execFileSync('mkdir', ['-p', bad]);
const base = readFileSync(join(samplesDir, samples.find((s) => s.startsWith('fx5950')) ?? samples[0]));
writeFileSync(join(bad, 'notes.rom'), Buffer.from('These are my notes, not a video BIOS.\n'.repeat(40)));
writeFileSync(join(bad, 'cut-short.rom'), base.subarray(0, base.length / 2));
const flipped = Buffer.from(base);
flipped[0x100] ^= 0xff;
writeFileSync(join(bad, 'wrong-checksum.rom'), flipped);
writeFileSync(join(bad, 'my card \u00fc.rom'), base);
const badFiles = readdirSync(bad).sort();

// One page for each file: the open as it is, and with each box ticked, each in a page loaded afresh
// (an open over a ticked box runs the box's handler first, which the CLI's fresh open does not);
// then, as a user would go on, the open over those edits, new edits and a save.
let downloads = 0;
let levelSaves = 0;
for (const name of samples) {
    const page = await freshPage();
    for (const option of [undefined, '--general-mode', '--timings']) {
        if (option) await reload(page);
        await compareOpen(page, samplesDir, name, option);
    }
    downloads += (await compareSave(page, samplesDir, name)).downloaded ? 1 : 0;
    await reload(page);
    const levels = await compareLevelSave(page, samplesDir, name);
    if (levels.args.length) levelSaves += levels.downloaded ? 1 : 0;
    await page.close();
}
{
    // A drop opens a .rom or .bin file as the picker does, and nothing else.
    const page = await freshPage();
    await dropIn(page, join(bad, 'notes.rom'), 'notes.txt');
    checkSame((await shownState(page)).file, '--', 'a dropped .txt file was opened');
    await compareOpen(page, samplesDir, samples[0], undefined, dropIn);
    await page.close();
}
{
    // Unsaved edits and the next file: "Save" downloads what the page's own save would, then opens.
    const [first, next] = samples.map((name) => [name, cliInfo(samplesDir, name)])
        .filter(([, info]) => info.clocks.core3d.enabled).map(([name]) => name);
    if (next) {
        const page = await freshPage();
        await openIn(page, join(samplesDir, first));
        const value = String(Number(cliInfo(samplesDir, first).clocks.core3d.text) + 10);
        await page.fill('[data-control="core3d"]', value);
        await settle(page);
        const proposed = await page.inputValue('#save-name');
        await page.setInputFiles('#open-file', join(samplesDir, next));
        // Every question is answered with Save: the one about the edits, and any before the save.
        const dialogs = await settle(page, (d) => (d.kind === 'question' ? 'save' : undefined));
        const questions = dialogs.filter((d) => d.kind === 'question');
        checkSame(questions[0]?.text, `Save the changes to ${first}?`, 'the question before opening over unsaved edits');
        const out = join(work, 'before-next');
        execFileSync('mkdir', ['-p', out]);
        const force = questions.length > 1 ? ['--force'] : [];
        const cliSave = cliRun(samplesDir, ['set', first, '-o', join(out, proposed), ...force, '--core-3d', value]);
        const saved = page.downloads[0] ?? await page.waitForEvent('download', { timeout: 5000 }).catch(() => null);
        check(cliSave.status === 0 && saved !== null && saved.suggestedFilename() === proposed &&
            Buffer.compare(readFileSync(await saved.path()), readFileSync(join(out, proposed))) === 0,
        'saving the unsaved edits before the next open downloads what set writes');
        checkSame((await shownState(page)).file, next, 'the next file opens after the save');
        await page.close();
    }
}
{
    // Undo, redo and revert go through the model's history; a second save proposes the next name.
    const name = samples.find((sample) => cliInfo(samplesDir, sample).clocks.core3d.enabled);
    const page = await freshPage();
    await openIn(page, join(samplesDir, name));
    const inFile = cliInfo(samplesDir, name).clocks.core3d.text;
    const typed = String(Number(inFile) + 7);
    const core3d = () => page.inputValue('[data-control="core3d"]');
    const steps = [
        ['typed', async () => page.fill('[data-control="core3d"]', typed), typed],
        ['undone', async () => page.click('#undo-button'), inFile],
        ['redone', async () => page.click('#redo-button'), typed],
        ['reverted', async () => page.click('#revert-all-button'), inFile],
    ];
    for (const [what, step, expected] of steps) {
        await step();
        await settle(page);
        checkSame(await core3d(), expected, `${name}: the 3D core clock ${what}`);
    }
    const stem = basename(name, extname(name));
    await page.fill('[data-control="core3d"]', typed);
    await settle(page);
    await page.click('#save-button');
    await settle(page, (d) => (d.kind === 'question' ? 'save' : undefined));
    checkSame(await page.inputValue('#save-name'), `${stem}-mod-2.rom`, `${name}: the name after a save`);
    await page.close();
}
for (const name of badFiles) {
    const page = await freshPage();
    await compareOpen(page, bad, name);
    await compareSave(page, bad, name, 'cancel');
    // A page that saved proposes the next name: this save starts on a page that did not.
    await reload(page);
    await compareSave(page, bad, name, 'save');
    await page.close();
}
check(downloads > 0, 'no sample was saved');
check(levelSaves > 0, 'no sample was saved with edited levels');

const foreign = requests.filter((url) => !url.startsWith(`${origin}/`) && !/^(data|blob):/.test(url));
checkSame(foreign, [], 'requests to another origin');
checkSame(pageErrors, [], 'errors on the page');
await browser.close();
server.close();
rmSync(work, { recursive: true, force: true });
const seconds = ((Date.now() - started) / 1000).toFixed(1);
console.log(`web: ${samples.length} samples and ${badFiles.length} made-up files opened, ${downloads} saves and ${levelSaves} with edited levels ` +
    `compared byte for byte, ${requests.length} requests all to ${origin}, ${seconds} s`);
if (failures) {
    console.error(`web: ${failures} failures`);
    process.exit(1);
}
