// The page in Debian's chromium, driven by puppeteer-core against build-web/site
// served on localhost. Run by CTest in the web build (tests.cmake), with
//   TARVOLEN_SITE       the page's folder
//   TARVOLEN_NATIVE     the Linux program, whose headless frame the menu must equal
//   TARVOLEN_FRAMES     the recordings' frame counts, written by the build
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../../scripts/serve_web.mjs';

const kRowX = 200, kRowY = [148, 181, 212, 245];  // inside each menu row, left of its caption
const kRed = 0xff0000, kSky = 0x11110f, kBlack = 0x000000;
const kBarY = 425, kBarLeft = 9;

let browser, site, work, reference;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'tarvolen-page-'));
  // The native program's menu, drawn headless from a journal that ends at once.
  writeFileSync(join(work, 'empty.journal'), 'tarvolen-journal 1\n');
  execFileSync(process.env.TARVOLEN_NATIVE, ['--replay', join(work, 'empty.journal'), '--headless', '--png',
                                             join(work, 'menu.png')], { env: { ...process.env, HOME: work } });
  reference = readFileSync(join(work, 'menu.png'));
  site = await serve(process.env.TARVOLEN_SITE, 0, (path) =>
    path === '/reference/menu.png' ? { type: 'image/png', body: reference } : null);
  browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                     args: ['--no-sandbox', '--disable-gpu'] });
});

after(async () => {
  await browser?.close();
  site?.server.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// A page of the game in a browser context of its own (its own storage),
// waited for until the menu is painted; `beforeStart(FS)` runs in the page
// before the game starts.
async function open(beforeStart, context) {
  context = context || await browser.createBrowserContext();
  const page = await context.newPage();
  page.on('pageerror', (e) => console.log('# page error:', e.message));
  if (beforeStart) await page.evaluateOnNewDocument(`window.tarvolenBeforeStart = ${beforeStart}`);
  await page.goto(site.url, { waitUntil: 'load' });
  await menuShown(page);
  return page;
}

const stats = (page) => page.evaluate(() => ({ ...Module.page.stats, presentTimes: undefined }));
const menuShown = (page) => until(page, (x, y, red) => Module.page.stats.firstPaint >= 0 &&
  document.getElementById('game').getContext('2d').getImageData(x, y, 1, 1).data[0] === red >> 16,
  kRowX, kRowY[0], kRed);

function until(page, fn, ...args) {
  return page.waitForFunction(fn, { timeout: 60000, polling: 50 }, ...args);
}

function pixel(page, x, y) {
  return page.evaluate((x, y) => {
    const d = document.getElementById('game').getContext('2d').getImageData(x, y, 1, 1).data;
    return (d[0] << 16) | (d[1] << 8) | d[2];
  }, x, y);
}

function untilPixel(page, x, y, rgb) {
  return until(page, (x, y, rgb) => {
    const d = document.getElementById('game').getContext('2d').getImageData(x, y, 1, 1).data;
    return ((d[0] << 16) | (d[1] << 8) | d[2]) === rgb;
  }, x, y, rgb);
}

// A click on the picture's pixel (x, y), whatever the page's scale.
async function click(page, x, y) {
  const box = await (await page.$('#game')).boundingBox();
  await page.mouse.click(box.x + (x + 0.5) * box.width / 586, box.y + (y + 0.5) * box.height / 440);
}

const playfield = (page) => untilPixel(page, 40, 10, kSky);
const boxCaption = (page) => page.evaluate(() => document.querySelector('.box .caption')?.textContent ?? null);

describe('the page', { timeout: 240000 }, () => {
  test('draws the menu with the Linux program\'s pixels', async () => {
    const page = await open();
    const differ = await page.evaluate(async () => {
      const image = new Image();
      image.src = '/reference/menu.png';
      await image.decode();
      const c = new OffscreenCanvas(image.width, image.height);
      c.getContext('2d').drawImage(image, 0, 0);
      const want = c.getContext('2d').getImageData(0, 0, image.width, image.height).data;
      const game = document.getElementById('game');
      const got = game.getContext('2d').getImageData(0, 0, game.width, game.height).data;
      if (image.width !== game.width || image.height !== game.height) return -1;
      let n = 0;
      for (let i = 0; i < want.length; i += 4)
        if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2]) n++;
      return n;
    });
    assert.equal(differ, 0, 'pixels of the menu that differ from the Linux program\'s');
    const s = await stats(page);
    console.log(`# measured: first menu painted ${s.firstPaint.toFixed(0)} ms after navigation`);
    await page.browserContext().close();
  });

  test('starts each mode from its key or its click', async () => {
    let page = await open();
    await page.keyboard.press('Enter');
    await playfield(page);
    assert.match(await page.title(), /Level 1/, 'Enter on the first row starts the campaign');
    await page.browserContext().close();

    page = await open();
    await page.keyboard.press('ArrowDown');
    await untilPixel(page, kRowX, kRowY[1], kRed);
    await page.keyboard.press('Enter');
    await playfield(page);
    assert.doesNotMatch(await page.title(), /Level/, 'the second row is the two players\' match');
    assert.notEqual(await pixel(page, kBarLeft, kBarY), kSky, 'a player\'s match shows the power bar');
    await page.browserContext().close();

    page = await open();
    await click(page, kRowX, kRowY[2]);
    await playfield(page);
    assert.doesNotMatch(await page.title(), /Level/);
    await page.browserContext().close();

    // Exit ends the game; the page says so and offers it again.
    page = await open();
    await click(page, kRowX, kRowY[3]);
    await until(page, () => Module.page.stats.ended && getComputedStyle(document.getElementById('ended')).display !== 'none');
    await page.browserContext().close();
  });

  test('plays a computers\' match to its winner\'s box, and Enter brings the menu back', async () => {
    const page = await open();
    await click(page, kRowX, kRowY[2]);
    await playfield(page);
    const started = (await stats(page)).presents;
    await page.waitForSelector('.box', { timeout: 200000 });
    assert.ok((await stats(page)).presents > started, 'the match drew nothing');
    // The flight timer's ticks, as the frames they drew came.
    const ticks = await page.evaluate(() => {
      const t = Module.page.stats.presentTimes, d = [];
      for (let i = 1; i < t.length; i++) if (t[i] - t[i - 1] < 40) d.push(t[i] - t[i - 1]);
      d.sort((a, b) => a - b);
      return { n: d.length, p50: d[Math.floor(d.length / 2)], p95: d[Math.floor(d.length * 0.95)] };
    });
    console.log(`# measured: ${ticks.n} frames in flight, p50 ${ticks.p50?.toFixed(1)} ms, p95 ${ticks.p95?.toFixed(1)} ms`);
    assert.match(await boxCaption(page), /\S/);
    await page.keyboard.press('Enter');
    await page.waitForSelector('.box', { hidden: true });
    await untilPixel(page, 40, 10, kBlack);
    await untilPixel(page, kRowX, kRowY[0], kRed);
    await page.browserContext().close();
  });

  test('shows the error box for a missing level picture', async () => {
    const page = await open((FS) => FS.unlink('/tarvolen/1.bmp'));
    await page.keyboard.press('Enter');
    await page.waitForSelector('.box');
    assert.match(await boxCaption(page), /\S/);
    await page.keyboard.press('Enter');
    await page.waitForSelector('.box', { hidden: true });
    await page.browserContext().close();
  });

  test('sounds with the music, is silent muted, and keeps the choice over a reload', async () => {
    const page = await open();
    await click(page, 20, 400);  // the first gesture lets the page's audio start
    await until(page, () => Module.page.stats.audioBlocks > 20 && Module.page.stats.audioPeak > 0.001);
    await page.keyboard.press('m');
    await until(page, () => !Module.page.stats.audioRunning && Module.page.stats.settingsKept > 0);
    const blocks = (await stats(page)).audioBlocks;
    await new Promise((r) => setTimeout(r, 500));
    assert.ok((await stats(page)).audioBlocks <= blocks + 1, 'the page pulls sound while muted');

    await page.reload({ waitUntil: 'load' });
    await menuShown(page);
    await click(page, 20, 400);
    await new Promise((r) => setTimeout(r, 1000));
    let s = await stats(page);
    assert.equal(s.audioRunning, false, 'the mute did not survive the reload');
    assert.equal(s.audioPeak, 0);
    await page.keyboard.press('m');
    await until(page, () => Module.page.stats.audioPeak > 0.001);
    await page.browserContext().close();
  });

  test('decodes every recording to its frame count', async () => {
    const want = readFileSync(process.env.TARVOLEN_FRAMES, 'utf8').trim().split('\n').map((l) => l.split(' '));
    assert.ok(want.length >= 9, 'the build wrote fewer than nine recordings');
    const page = await open();
    const got = await page.evaluate(async (files) => {
      const out = {};
      for (const f of files) {
        const bytes = await (await fetch('recordings/' + f)).arrayBuffer();
        out[f] = (await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes)).length;
      }
      return out;
    }, want.map(([f]) => f));
    for (const [f, frames] of want) assert.equal(got[f], Number(frames), f);
    await page.browserContext().close();
  });

  test('leaves the idle menu asleep', async () => {
    const page = await open();
    await page.keyboard.press('m');  // no music: nothing that ends and wakes the loop
    await new Promise((r) => setTimeout(r, 500));
    const before = (await stats(page)).wakes;
    await new Promise((r) => setTimeout(r, 5000));
    assert.equal((await stats(page)).wakes - before, 0, 'the idle menu woke');
    await page.browserContext().close();
  });
});
