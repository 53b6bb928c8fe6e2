// The page's budgets, measured in Debian's chromium against build-web/site:
// the download's sizes gzipped, the first menu's paint after navigation, the
// flight timer's ticks in a computers' match, and the CPU of the browser's
// processes in the idle menu beside an empty page. Run by hand:
//   NODE_PATH=tests/web/node_modules node bench/web_budget.mjs build-web/site [runs]
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve } from '../scripts/serve_web.mjs';

const require = createRequire(join(process.cwd(), 'tests/web/'));
const puppeteer = require('puppeteer-core');
const site = process.argv[2] || 'build-web/site';
const runs = Number(process.argv[3] || 5);

const gz = (file) => gzipSync(readFileSync(file), { level: 9 }).length;
const kb = (n) => (n / 1024).toFixed(0) + ' KB';
const first = ['index.html', 'tarvolen.js', 'tarvolen.wasm', 'tarvolen.data', 'icon.png'];
let firstRaw = 0, firstGz = 0;
console.log('file              raw        gzipped');
for (const f of first) {
  const raw = statSync(join(site, f)).size, z = gz(join(site, f));
  firstRaw += raw;
  firstGz += z;
  console.log(`${f.padEnd(16)} ${kb(raw).padStart(9)} ${kb(z).padStart(9)}`);
}
console.log(`${'first download'.padEnd(16)} ${kb(firstRaw).padStart(9)} ${kb(firstGz).padStart(9)}`);
let music = 0;
for (const f of readdirSync(join(site, 'recordings'))) music += statSync(join(site, 'recordings', f)).size;
console.log(`${'music'.padEnd(16)} ${(music / 1048576).toFixed(2)} MB`);

const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
const { server, url } = await serve(site, 0, (p) => (p === '/empty.html' ? { type: 'text/html', body: '<!DOCTYPE html><title>empty</title>' } : null));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ['--no-sandbox', '--disable-gpu'] });

// CPU seconds of the browser and every process under it.
function cpu() {
  const ticks = (pid) => {
    try {
      const f = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
      return Number(f[11]) + Number(f[12]);
    } catch { return 0; }
  };
  const children = (pid) => {
    try { return readFileSync(`/proc/${pid}/task/${pid}/children`, 'utf8').trim().split(/\s+/).filter(Boolean).map(Number); } catch { return []; }
  };
  let total = 0;
  const walk = (pid) => { total += ticks(pid); children(pid).forEach(walk); };
  walk(browser.process().pid);
  return total / 100;
}
async function idleCpu(address, prepare, seconds = 10) {
  const page = await browser.newPage();
  await page.goto(address, { waitUntil: 'load' });
  if (prepare) await prepare(page);
  await new Promise((r) => setTimeout(r, 2000));
  const c0 = cpu(), t0 = Date.now();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const share = (100 * (cpu() - c0)) / ((Date.now() - t0) / 1000);
  await page.close();
  return share;
}

const paints = [];
for (let i = 0; i < runs; i++) {
  const page = await browser.newPage();
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => Module.page.stats.firstPaint >= 0, { timeout: 30000 });
  paints.push(await page.evaluate(() => Module.page.stats.firstPaint));
  await page.close();
}
console.log(`first menu painted: median ${median(paints).toFixed(0)} ms [${Math.min(...paints).toFixed(0)}-${Math.max(...paints).toFixed(0)}] after navigation, ${runs} loads`);

const mute = async (page) => {
  await page.waitForFunction(() => Module.page.stats.firstPaint >= 0);
  await page.keyboard.press('m');
};
// The first click lets the page's audio start: the menu's music then plays.
const withMusic = async (page) => {
  await page.waitForFunction(() => Module.page.stats.firstPaint >= 0);
  const r = await (await page.$('#game')).boundingBox();
  await page.mouse.click(r.x + 20, r.y + 20);
};
const empty = [], menu = [], playing = [];
for (let i = 0; i < 3; i++) {
  empty.push(await idleCpu(url + 'empty.html'));
  menu.push(await idleCpu(url, mute));
  playing.push(await idleCpu(url, withMusic));
}
console.log(`CPU of the browser's processes over 10 s: empty page ${median(empty).toFixed(2)} %, idle menu (muted) ` +
            `${median(menu).toFixed(2)} %, menu with its music ${median(playing).toFixed(2)} %`);

const page = await browser.newPage();
await page.goto(url, { waitUntil: 'load' });
await page.waitForFunction(() => Module.page.stats.firstPaint >= 0);
const r = await (await page.$('#game')).boundingBox();
await page.mouse.click(r.x + 200 * r.width / 586, r.y + 212 * r.height / 440);
await page.waitForSelector('.box', { timeout: 300000 });
const ticks = await page.evaluate(() => {
  const t = Module.page.stats.presentTimes, d = [];
  for (let i = 1; i < t.length; i++) if (t[i] - t[i - 1] < 40) d.push(t[i] - t[i - 1]);
  d.sort((a, b) => a - b);
  return { n: d.length, p50: d[Math.floor(d.length / 2)], p95: d[Math.floor(d.length * 0.95)], max: d[d.length - 1] };
});
console.log(`flight ticks in a computers' match: ${ticks.n}, p50 ${ticks.p50.toFixed(1)} ms, p95 ${ticks.p95.toFixed(1)} ms, max ${ticks.max.toFixed(1)} ms`);
await browser.close();
server.close();
