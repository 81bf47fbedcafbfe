// Plays exported pages in headless Chromium, driven over the DevTools protocol (--remote-debugging-pipe),
// and checks from the live DOM that the blocks are shown in turn, that the control buttons work and
// that no script error occurs. Then measures how fifty full units play at 10 ms a frame.
//   node playtest.mjs MAKE_PAGE SCRIPT_TXT [CHROMIUM [KIND...]]
// KIND names the fifty-unit pages measured (make_page's kinds full and worst); full when none is given.
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [makePage, scriptTxt, chromiumPath = '/usr/bin/chromium', ...fullKinds] = process.argv.slice(2);
if (fullKinds.length === 0) fullKinds.push('full');
const work = mkdtempSync(join(tmpdir(), 'quillet-browser-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const failures = [];
const check = (ok, what) => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
    if (!ok) failures.push(what);
};

function makePageFile(name, kind, units, delay, buttons) {
    const out = join(work, name);
    execFileSync(makePage, [out, scriptTxt, kind, String(units), String(delay), buttons ? '1' : '0']);
    return pathToFileURL(out).href;
}

class Browser {
    constructor() {
        this.nextId = 1;
        this.pending = new Map();
        this.listeners = [];
        this.proc = spawn(chromiumPath, [
            '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', `--user-data-dir=${join(work, 'profile')}`,
            '--remote-debugging-pipe', 'about:blank',
        ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true }); // its own process group
        this.proc.stderr.on('data', () => {});
        this.proc.stdio[3].on('error', () => {}); // a message sent while Chromium quits finds the pipe closed
        let buffer = Buffer.alloc(0);
        this.proc.stdio[4].on('data', (chunk) => {
            buffer = Buffer.concat([buffer, chunk]);
            let end;
            while ((end = buffer.indexOf(0)) >= 0) {
                this.dispatch(JSON.parse(buffer.subarray(0, end).toString('utf8')));
                buffer = buffer.subarray(end + 1);
            }
        });
    }
    dispatch(message) {
        if (message.id !== undefined) {
            const waiter = this.pending.get(message.id);
            this.pending.delete(message.id);
            if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
            else waiter.resolve(message.result);
        } else {
            for (const listener of this.listeners) listener(message);
        }
    }
    send(method, params = {}, sessionId = undefined) {
        const id = this.nextId++;
        const message = { id, method, params };
        if (sessionId) message.sessionId = sessionId;
        this.proc.stdio[3].write(JSON.stringify(message) + '\0');
        return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject, method }));
    }
    waitFor(predicate, timeoutMs, what) {
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(`timed out waiting for ${what}`)), timeoutMs);
            const listener = (message) => {
                if (predicate(message)) {
                    clearTimeout(timer);
                    this.listeners.splice(this.listeners.indexOf(listener), 1);
                    resolve(message);
                }
            };
            this.listeners.push(listener);
        });
    }
    // Asks Chromium to quit, so its helper processes stop writing into the profile before it is
    // removed; whatever is left of the process group after a few seconds is killed.
    close() {
        if (this.proc.exitCode !== null || this.proc.signalCode !== null) return Promise.resolve();
        return new Promise((resolve) => {
            const killGroup = setTimeout(() => {
                try { process.kill(-this.proc.pid, 'SIGKILL'); } catch { /* already gone */ }
            }, 5000);
            this.proc.once('exit', () => {
                clearTimeout(killGroup);
                try { process.kill(-this.proc.pid, 'SIGKILL'); } catch { /* no helper left */ }
                resolve();
            });
            this.send('Browser.close').catch(() => {});
        });
    }
}

// One tab: every script error or console error seen on it is collected in `errors`.
class Tab {
    static async open(browser) {
        const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank' });
        const { sessionId } = await browser.send('Target.attachToTarget', { targetId, flatten: true });
        const tab = new Tab(browser, sessionId);
        await tab.send('Runtime.enable');
        await tab.send('Log.enable');
        await tab.send('Page.enable');
        return tab;
    }
    constructor(browser, sessionId) {
        this.browser = browser;
        this.sessionId = sessionId;
        this.errors = [];
        browser.listeners.push((m) => {
            if (m.sessionId !== sessionId) return;
            if (m.method === 'Runtime.exceptionThrown')
                this.errors.push(m.params.exceptionDetails.exception?.description ?? m.params.exceptionDetails.text);
            else if (m.method === 'Runtime.consoleAPICalled' && ['error', 'assert'].includes(m.params.type))
                this.errors.push(`console.${m.params.type}: ${JSON.stringify(m.params.args.map((a) => a.value))}`);
            else if (m.method === 'Log.entryAdded' && m.params.entry.level === 'error')
                this.errors.push(`log: ${m.params.entry.text}`);
        });
    }
    send(method, params = {}) {
        return this.browser.send(method, params, this.sessionId);
    }
    async navigate(url, timeoutMs = 20000) {
        const loaded = this.browser.waitFor(
            (m) => m.sessionId === this.sessionId && m.method === 'Page.loadEventFired', timeoutMs, `load of ${url}`);
        await this.send('Page.navigate', { url });
        await loaded;
    }
    async eval(expression) {
        const { result, exceptionDetails } = await this.send('Runtime.evaluate', { expression, returnByValue: true });
        if (exceptionDetails) throw new Error(`evaluate ${expression}: ${exceptionDetails.text}`);
        return result.value;
    }
    // Ids of the unit blocks the page shows now.
    shown() {
        return this.eval(`Array.from(document.querySelectorAll('body > div[id^="text"]'))
            .filter((e) => e.firstElementChild.checkVisibility({ visibilityProperty: true, opacityProperty: true })).map((e) => e.id).join(',')`);
    }
    // A real mouse click on the centre of the form control named `name`.
    async click(name) {
        const box = await this.eval(`(() => { const r = document.F0.${name}.getBoundingClientRect();
            return { x: r.left + r.width / 2, y: r.top + r.height / 2 }; })()`);
        for (const type of ['mousePressed', 'mouseReleased'])
            await this.send('Input.dispatchMouseEvent', { type, x: box.x, y: box.y, button: 'left', clickCount: 1 });
    }
}

// The sequence of distinct shown-block states, sampled every few milliseconds until `count` are seen
// (from the first block shown on).
async function watchSequence(tab, count, timeoutMs) {
    const seen = [];
    const start = Date.now();
    while (seen.length < count && Date.now() - start < timeoutMs) {
        const now = await tab.shown();
        if (seen[seen.length - 1] !== now && (now !== '' || seen.length > 0)) seen.push(now);
        await sleep(10);
    }
    return seen;
}

async function checkPlaysInTurn(browser, delay) {
    const tab = await Tab.open(browser);
    await tab.navigate(makePageFile('three.htm', 'small', 3, delay, false));
    const seen = await watchSequence(tab, 4, 20 * delay);
    check(seen.join(' ') === 'text1 text2 text3 text1', `three units shown in turn: ${seen.join(' ')}`);
    check(await tab.eval('document.F0.D0.type === "hidden" && document.F0.D0.value === String(delay)'),
        'without buttons: D0 is hidden and holds the delay');
    check(await tab.eval('document.F0.elements.length === 1'), 'without buttons: no control in the form');
    check(tab.errors.length === 0, `no script error (${tab.errors.join('; ')})`);
}

async function checkButtons(browser, delay) {
    const tab = await Tab.open(browser);
    await tab.navigate(makePageFile('buttons.htm', 'small', 3, delay, true));
    check(await tab.eval('document.F0.D0.type === "text" && document.F0.D0.value') === String(delay),
        'with buttons: D0 shows the delay');
    await watchSequence(tab, 2, 10 * delay); // text1, then text2: it plays
    await tab.click('BPlay');
    const paused = await tab.shown();
    await sleep(4 * delay);
    check(await tab.shown() === paused, `pause stops the cycle at ${paused}`);
    await tab.click('BNext');
    const expected = `text${(Number(paused.slice(4)) % 3) + 1}`;
    check(await tab.shown() === expected, `next advances from ${paused} to ${expected}`);
    await sleep(4 * delay);
    check(await tab.shown() === expected, 'still paused after next');
    await tab.click('BPrev');
    check(await tab.shown() === paused, `previous goes back to ${paused}`);
    await tab.click('BFast');
    check(await tab.eval('document.F0.D0.value') === String(Math.round(delay / 1.25)), 'faster shortens the delay');
    await tab.click('BSlow');
    check(await tab.eval('document.F0.D0.value') === String(Math.round(Math.round(delay / 1.25) * 1.25)),
        'slower lengthens it');
    await tab.click('BPlay');
    const resumed = await watchSequence(tab, 2, 10 * delay);
    check(resumed.length === 2, `play resumes: ${resumed.join(' ')}`);
    check(tab.errors.length === 0, `no script error (${tab.errors.join('; ')})`);
}

// Fifty full double-byte units at 10 ms. The page keeps to the clock (it skips what it cannot show in
// time), so the frames it moves on must match the time passed; reported are also how often the shown
// block actually changed and how many changed frames were painted.
async function measureFullUnits(browser, kind, seconds) {
    const tab = await Tab.open(browser);
    const started = Date.now();
    await tab.navigate(makePageFile(`${kind}50.htm`, kind, 50, 10, false), 40000);
    const loadMs = Date.now() - started;
    await tab.eval(`window.__changes = []; window.__painted = [];
        new MutationObserver(() => __changes.push([performance.now(), frameShown]))
            .observe(document.body, { subtree: true, attributeFilter: ['class'] });
        (function paint(t) { __painted.push([t, frameShown]); requestAnimationFrame(paint); })(performance.now());`);
    await sleep(seconds * 1000);
    const { changes, painted } = await tab.eval('({ changes: __changes, painted: __painted })');
    // At each change the shown block must be the one the clock calls for (within one frame).
    const [t0, first] = changes[0];
    const onTime = changes.filter(([t, shown]) => {
        const due = (first - 1 + Math.floor((t - t0) / 10)) % 50 + 1;
        return [0, 1, 49].includes((shown - due + 50) % 50);
    }).length;
    const span = changes[changes.length - 1][0] - t0;
    const intervals = changes.slice(1).map((c, i) => c[0] - changes[i][0]).sort((x, y) => x - y);
    const paintedChanges = painted.filter((p, i) => i > 0 && p[1] !== painted[i - 1][1]).length;
    const paintSeconds = (painted[painted.length - 1][0] - painted[0][0]) / 1000;
    console.log(`${kind}: 50 full units at delay 10 ms: load ${loadMs} ms; ${onTime} of ${changes.length} changes ` +
        `on time; shown block changed every ${(span / (changes.length - 1)).toFixed(2)} ms (median ` +
        `${intervals[Math.floor(intervals.length / 2)].toFixed(2)}); ${(paintedChanges / paintSeconds).toFixed(1)} ` +
        `changed frames painted per second of ${(painted.length / paintSeconds).toFixed(1)} painted`);
    check(onTime >= 0.95 * changes.length, `${kind}: the page keeps to 10 ms a frame`);
    check(tab.errors.length === 0, `${kind}: no script error (${tab.errors.join('; ')})`);
}

const browser = new Browser();
try {
    await browser.send('Target.setDiscoverTargets', { discover: false });
    await checkPlaysInTurn(browser, 400);
    await checkButtons(browser, 400);
    for (const kind of fullKinds) await measureFullUnits(browser, kind, 3);
} catch (e) {
    check(false, e.message);
} finally {
    await browser.close();
    rmSync(work, { recursive: true, force: true, maxRetries: 5 });
}
process.exit(failures.length === 0 ? 0 : 1);
