// Headless Chromium driven over the DevTools protocol (--remote-debugging-pipe), no package from npm
// needed: a Browser is the Chromium process, a Tab one exported page open in it with its script errors.
import { spawn } from 'node:child_process';

export class Browser {
    // Starts Chromium with its profile in `profileDir`, in a process group of its own.
    constructor(chromiumPath, profileDir) {
        this.nextId = 1;
        this.pending = new Map();
        this.listeners = [];
        this.proc = spawn(chromiumPath, [
            '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', `--user-data-dir=${profileDir}`,
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
export class Tab {
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
