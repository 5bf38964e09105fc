// SPDX-License-Identifier: MIT
// The README's picture of the page: a sample opened, "Edit memory timings" ticked, the 3D core
// clock raised and saved, the list of changes shown; then in the levels table the second level's
// memory copies opened and one of them changed, and the last level's fan raised.
// Usage: node tests/web/screenshot.mjs SITE_DIR IMAGE OUT.png
import { readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { basename, extname, join } from 'node:path';
import { chromium } from 'playwright-core';

const [siteDir, image, out] = process.argv.slice(2);
const types = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.mjs': 'text/javascript',
    '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    const name = path === '/' ? 'index.html' : basename(path);
    try {
        const body = readFileSync(join(siteDir, name));
        response.writeHead(200, { 'Content-Type': types[extname(name)] ?? 'application/octet-stream' }).end(body);
    } catch {
        response.writeHead(404).end();
    }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
const page = await browser.newPage({ viewport: { width: 1000, height: 580 } });
const idle = () => page.waitForSelector('body[data-idle="true"]', { state: 'attached' });
// Each dialog on the way is answered with its first button.
async function dismissDialogs() {
    while (await page.$('#dialog[open]')) await page.click('#dialog .dialog-buttons button');
}
await page.goto(`http://127.0.0.1:${server.address().port}/`);
await idle();
await page.setInputFiles('#open-file', image);
await idle();
await page.check('[data-control="timingEdit"]');
await page.waitForSelector('#dialog[open]');
await dismissDialogs();
await idle();
await page.fill('[data-control="core3d"]', '500');
await idle();
await page.click('#save-button');
await page.waitForSelector('#dialog[open]');
await dismissDialogs();
await idle();
const levels = await page.$$eval('#level-editor tbody tr[data-level]', (rows) => rows.map((row) => row.dataset.level));
if (levels.length > 1) {
    const second = levels[1];
    const copy = `[data-level-cell="${second}:memory.1"]`;
    if (await page.$(copy)) {
        await page.click(`[data-copies-of="${second}"]`);
        await page.fill(copy, String(Number(await page.inputValue(copy)) + 10));
        await idle();
    }
    const fan = `[data-level-cell="${levels.at(-1)}:fan"]`;
    if (await page.$(fan)) {
        await page.fill(fan, String(Math.min(100, Number(await page.inputValue(fan)) + 40)));
        await idle();
    }
}
// The whole page in view: the status line, which keeps to the window's foot, then lies under it.
const height = await page.evaluate(() => document.documentElement.scrollHeight);
await page.setViewportSize({ width: 1000, height });
await page.screenshot({ path: out, fullPage: true });
await browser.close();
server.close();
