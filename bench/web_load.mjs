// SPDX-License-Identifier: MIT
// The editor's page in headless Chromium: what it downloads (gzip -9), how long until it takes
// input, and how long an open of a 64 KiB image takes from the pick to the fields shown. Each time
// is a median, beside a baseline measured in the same run: a page of one empty module script from
// the same server, and the native CLI's `info --json` of the same file (a whole process).
// Usage: node bench/web_load.mjs SITE_DIR IMAGE CLI   (after tests/web's npm ci)
import { spawnSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:http';
import { basename, extname, join } from 'node:path';
import { gzipSync } from 'node:zlib';

const { chromium } = createRequire(new URL('../tests/web/package.json', import.meta.url))('playwright-core');
const [siteDir, image, cli] = process.argv.slice(2);
if (!cli) {
    console.error('usage: node bench/web_load.mjs SITE_DIR IMAGE CLI');
    process.exit(2);
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => `${value.toFixed(1)} ms`;

// --- size ---
const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;
let code = 0;
let codeRaw = 0;
let site = 0;
for (const name of readdirSync(siteDir)) {
    const bytes = readFileSync(join(siteDir, name));
    const packed = gzipSync(bytes, { level: 9 }).length;
    console.log(`${name}: ${kib(bytes.length)}, gzip -9 ${kib(packed)}`);
    site += packed;
    if (/\.(wasm|m?js)$/.test(name)) {
        code += packed;
        codeRaw += bytes.length;
    }
}
console.log(`WebAssembly and JavaScript: ${kib(codeRaw)}, gzip -9 ${kib(code)} (goal: at most 1024 KiB); ` +
    `the whole site gzip -9 ${kib(site)}`);

// --- the server: the site, and the baseline page ---
const blank = '<!DOCTYPE html><title>blank</title><script type="module">performance.mark("zfx-interactive");' +
    'document.body.dataset.idle = "true";</script><body></body>';
const types = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.mjs': 'text/javascript',
    '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    if (path === '/blank.html') return response.writeHead(200, { 'Content-Type': 'text/html' }).end(blank);
    const name = path === '/' ? 'index.html' : basename(path);
    try {
        const body = readFileSync(join(siteDir, name));
        response.writeHead(200, { 'Content-Type': types[extname(name)] ?? 'application/octet-stream' }).end(body);
    } catch {
        response.writeHead(404).end();
    }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
const context = await browser.newContext();

// From the start of the navigation to the page taking input, in a fresh page (the HTTP cache of
// the context is warm after the first, as for a user who comes back).
async function interactive(url) {
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForSelector('body[data-idle="true"]', { state: 'attached' });
    const at = await page.evaluate(() => performance.getEntriesByName('zfx-interactive')[0].startTime);
    await page.close();
    return at;
}
const runs = 7;
const pageLoads = [];
const blankLoads = [];
for (let i = 0; i < runs; ++i) {
    blankLoads.push(await interactive(`${origin}/blank.html`));
    pageLoads.push(await interactive(`${origin}/`));
}
const load = median(pageLoads);
const blankLoad = median(blankLoads);
console.log(`interactive: ${ms(load)} (first load ${ms(pageLoads[0])}, slowest ${ms(Math.max(...pageLoads))}; ` +
    `goal: at most 1000 ms); empty module page ${ms(blankLoad)}; ratio ${(load / blankLoad).toFixed(2)}`);

// --- the open of an image, from the pick to the fields shown, on one page ---
const opens = [];
const page = await context.newPage();
await page.goto(`${origin}/`);
await page.waitForSelector('body[data-idle="true"]', { state: 'attached' });
for (let i = 0; i < 21; ++i) {
    await page.setInputFiles('#open-file', image);
    await page.waitForSelector('body[data-idle="true"]', { state: 'attached' });
}
opens.push(...await page.evaluate(() => performance.getEntriesByName('zfx-open').map((entry) => entry.duration)));
const cliRuns = [];
for (let i = 0; i < 21; ++i) {
    const started = process.hrtime.bigint();
    spawnSync(cli, ['info', '--json', image]);
    cliRuns.push(Number(process.hrtime.bigint() - started) / 1e6);
}
const open = median(opens);
const native = median(cliRuns);
console.log(`open of ${basename(image)} (${kib(readFileSync(image).length)}): ${ms(open)} (slowest ` +
    `${ms(Math.max(...opens))} of ${opens.length}; goal: at most 50 ms); zorvane-fx-cli info --json ` +
    `${ms(native)}; ratio ${(open / native).toFixed(2)}`);
await browser.close();
server.close();
